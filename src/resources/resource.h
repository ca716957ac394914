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

// The pop-up blocker's allow list, where the system has no dialog for it.
#define IDD_POPUP_ALLOW         203
#define IDC_POPUP_ADDRESS       1101
#define IDC_POPUP_ADD           1102
#define IDC_POPUP_SITES         1103
#define IDC_POPUP_REMOVE        1104
#define IDC_POPUP_REMOVEALL     1105

// The search box: its engine menu and its history drop-down.
#define IDR_ENGINE_MENU         204
#define ID_ENGINE_GOOGLE        32789
#define ID_ENGINE_MSN           32790
#define ID_ENGINE_YAHOO         32791
#define ID_ENGINE_AOL           32792
#define IDD_SEARCH_DROPDOWN     205
#define IDC_SEARCH_HISTORY_LIST 730
#define IDC_SEARCH_CLEAR_HISTORY 731

// The tab strip's right-click menu.
#define IDR_TAB_MENU            279
#define IDM_TAB_DELETE          32795
#define IDM_TAB_PROPERTIES      32796
#define IDM_TAB_CHANGEICON      32797

// Settings dialog and its application page.
#define IDD_SETTINGS            210
#define IDC_SETTINGS_TABS       742
#define IDC_SETTINGS_OK         712
#define IDC_SETTINGS_APPLY      745
#define IDC_SETTINGS_CLOSE      713
#define IDD_APPLICATION_SETTINGS 211
#define IDC_APP_GROUP           725
#define IDC_APP_POPUP           719
#define IDC_APP_LOGURL          723
#define IDC_APP_AUTOUPDATE      724
#define IDC_APP_SKIN_GROUP      726
#define IDC_APP_SKINS           722
#define IDC_APP_SAMPLE          728
// Its plug-in manager page.
#define IDD_PLUGIN_MANAGER      212
#define IDC_PLUGIN_LABEL        727
#define IDC_PLUGIN_LIST         721
#define IDC_PLUGIN_MODIFY       713

// The button and toolbar dialog ("Drag Drop Button Info").
#define IDD_DRAGDROP_INFO       204
#define IDC_DRAGDROP_NAME_LABEL 1201
#define IDC_DRAGDROP_NAME       1202
#define IDC_DRAGDROP_MID_LABEL  1203
#define IDC_DRAGDROP_MIDDLE     1204
#define IDC_DRAGDROP_BROWSE     1205
#define IDC_DRAGDROP_URL_LABEL  1206
#define IDC_DRAGDROP_URL        1207
