#ifndef HOST_FUNCTIONS_SYSTEM_INFO_H_
#define HOST_FUNCTIONS_SYSTEM_INFO_H_

#include <windows.h>

#include <optional>
#include <string>

#include "host_functions/release_code.h"
#include "host_functions/ui_language.h"

// The Windows release code (see release_code.h); computed once it is known.
int GetSystemVersion();

// The code for the given readings of GetVersionEx and ReadRealVersion.
int ReleaseCodeFromVersionInfo(const OSVERSIONINFOEXW& info, const RealVersion& real);

// The kernel's own version: RtlGetNtVersionNumbers, else ntoskrnl.exe's file
// version (without build number); zeros when neither answers.
RealVersion ReadRealVersion();
std::optional<RealVersion> ReadKernelFileVersion();

// Major version of the installed Internet Explorer engine (mshtml.dll, else
// iexplore.exe, else 7), computed once. Only the call that computes it fills
// `iexplore_path` with iexplore.exe's path.
int GetIEMajorVersion(std::wstring* iexplore_path = nullptr);
// The same without the cache.
int ComputeIEMajorVersion(std::wstring* iexplore_path);

// A string of a file's version resource, such as L"ProductVersion", in the
// file's language or failing that the user's or US English code page;
// empty when there is none.
std::wstring GetFileVersionText(const wchar_t* file, const wchar_t* name);

// Folder of the in-process server registered for `clsid`; `buffer` holds
// MAX_PATH characters.
bool GetComServerFolder(REFCLSID clsid, wchar_t* buffer);

UiLanguageClass GetUiLanguageClass();
// The text for the user interface language; a null text reads as empty.
std::wstring PickLocalizedText(const wchar_t* en, const wchar_t* zh_hans, const wchar_t* zh_hant);

// The file name of this program, such as L"tabbridge.exe".
std::wstring GetProgramFileName();

const wchar_t* GetBrowserName();

// True when the browser window draws without a redirection bitmap, which
// happens from Windows 11 on: a child laid over it must then be layered.
bool IsChromeRemoveRedirectionBitmap(HWND window);
// The same for a given release code.
bool IsChromeRemoveRedirectionBitmapOn(int release_code, HWND window);

#endif  // HOST_FUNCTIONS_SYSTEM_INFO_H_
