#pragma once
// Resource ids of the dialog template the dialog-base tests run.
#define IDD_TEST_NAME 100
#define IDC_TEST_NAME_EDIT 1001
