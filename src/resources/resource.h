// Identifiers of the product's dialogs and their controls.
#pragma once

// The built-in button icon and the drop cursor.
#define IDI_DEFAULT_BUTTON      280
#define IDC_DROP                287

// Sign-in dialog.
#define IDD_SIGNIN              201
#define IDC_SIGNIN_USERID       705
#define IDC_SIGNIN_PASSWORD     706
#define IDC_SIGNIN_FORGOT       694
#define IDC_SIGNIN_CANCEL       720
#define IDC_SIGNIN_SIGNOUTCLOSE 704

// About the developer.
#define IDD_ABOUT               202
#define IDC_ABOUT_TEXT          1001
