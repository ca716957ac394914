#pragma once
// The error log: failures the user need not see, appended to
// XMLS\MarlinToolbarErrorLog.xml in the data folder.
#include "platform/Win32.h"

#include <string>

namespace marlin {

namespace ErrorMessages {
inline constexpr wchar_t kDropFaviconFailed[] = L"[CMarlinToolbarCtrl][Drop][Failed to Download Favicon]";
inline constexpr wchar_t kPartnerKeyMissing[] =
    L"[CInvisibleWnd][InitializeMarlinToolbarPluginSDK][Unable to Get Partner Key.]";
// The SDK's two failures the user is shown once per process; later ones go to the log.
inline constexpr wchar_t kAuthenticationFailed[] =
    L"[CInvisibleWnd][InitializeMarlinToolbarPluginSDK][User Authentication Failed]";
inline constexpr wchar_t kStartSdkFailed[] =
    L"[CInvisibleWnd][InitializeMarlinToolbarPluginSDK][Unable to Start Marlin Toolbar Plugin API SDK]";
// Plug-in libraries that were not called, or whose answer was not taken.
inline constexpr wchar_t kPluginPathRefused[] = L"[Plugins][CallFetchData][Plugin library path refused]";
inline constexpr wchar_t kPluginDataTooLarge[] = L"[Plugins][CallFetchData][Plugin data too large]";
inline constexpr wchar_t kPluginCallFailed[] = L"[Plugins][CallFetchData][Plugin call failed]";
inline constexpr wchar_t kPluginCallFaulted[] = L"[Plugins][CallFetchData][Plugin faulted]";
inline constexpr wchar_t kPluginCallTimedOut[] = L"[Plugins][CallFetchData][Plugin did not return in time]";
// The plug-in SDK did not answer within its bound: it is not called again in this process.
inline constexpr wchar_t kSdkNotAnswering[] = L"[Plugins][SdkCall][Plugin SDK did not answer in time]";
inline constexpr wchar_t kTerminateThreadFailed[] = L"[CInvisibleWnd][StopPluginTimer][Failed to Terminate Thread]";
inline constexpr wchar_t kPluginUpdateFailed[] = L"[ThreadFunction][RunAutoUpdates][RunPluginUpdate failed]";
inline constexpr wchar_t kNotConnected[] = L"[CInvisibleWnd][OnTimer][Not Connected to Network]";
inline constexpr wchar_t kIniNotFoundOnRead[] =
    L"[CReadRegistryValues][GetMTSettingsFromIniFile][Failed to Initialize Application Settings. Ini File Not Found.]";
inline constexpr wchar_t kIniNotFoundOnWrite[] =
    L"[CReadRegistryValues][SetMTSettingsFromIniFile][Failed to Initialize Application Settings. Ini File Not Found.]";
inline constexpr wchar_t kApplicationSettingsFailed[] =
    L"[CMarlinToolbarObj][InitializeApplicationSettings][Failed to Initialize Application Settings.]";
inline constexpr wchar_t kInsertButtonOutOfBound[] = L"[InsertButtonToSpecifiedTab][Out of bound]";
inline constexpr wchar_t kAddPluginDataFailed[] =
    L"[CMarlinToolbarCtrl][SetPluginDataInXML][Unable to add plugin data in login XML]";
inline constexpr wchar_t kDeletePluginDataFailed[] =
    L"[CMarlinToolbarCtrl][SetPluginDataInXML][Unable to Delete plugin data in login XML]";
inline constexpr wchar_t kFixedMenusFailed[] = L"AddFixedMenuesinHomeButton failed";
// "[Class][Method][...]" for a file that was not written because another window
// held it for longer than the lock waits.
std::wstring FileLockNotObtained(const wchar_t* className, const wchar_t* method, const std::wstring& path);
} // namespace ErrorMessages

inline constexpr wchar_t kRiskLow[] = L"0";
inline constexpr wchar_t kRiskHigh[] = L"1";

// Appends one entry. Safe from any thread and any process: entries are
// appended under a cross-process lock and the file is replaced atomically, so
// no entry is lost to a concurrent writer and a crash never leaves half a log.
// Failures are silent; an entry whose lock cannot be had is dropped.
void LogError(const std::wstring& risk, const std::wstring& message) noexcept;

// Path of the log in the current data folder ("" while the folder is unknown).
std::wstring ErrorLogPath();

// The timestamp text of an entry written at `time`.
std::wstring FormatErrorTimestamp(const SYSTEMTIME& time);

// Routes failures caught at window-procedure and COM boundaries to the log.
void InstallErrorLogFailureReporter() noexcept;

} // namespace marlin
