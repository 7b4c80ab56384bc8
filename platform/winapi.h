// The few Windows types and functions the add-in uses, provided on this
// platform by the stand-in library (libxlplatform).
#pragma once

#ifdef _WIN32
// On Windows the real ones.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else

#include <cstdint>

typedef uint8_t BYTE;
typedef uint16_t WORD;
typedef uint32_t DWORD;
typedef int32_t INT32;
typedef int32_t LONG;
typedef int32_t BOOL;
typedef uint32_t UINT;
typedef char CHAR;
typedef const char* LPCSTR;
typedef char* LPSTR;
typedef BYTE* LPBYTE;
typedef const BYTE* LPCBYTE;
typedef DWORD* LPDWORD;
typedef void* HANDLE;
typedef intptr_t LPARAM;
typedef intptr_t LRESULT;
typedef struct HWND__* HWND;
typedef struct HKEY__* HKEY;
typedef HKEY* PHKEY;
typedef struct HINSTANCE__* HINSTANCE;
typedef HINSTANCE HMODULE;
typedef LONG LSTATUS;
typedef DWORD REGSAM;
typedef void* LPVOID;
typedef int (*FARPROC)(void);
typedef BOOL (*WNDENUMPROC)(HWND, LPARAM);

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

#define WINAPI
#define CALLBACK
#define APIENTRY

enum : DWORD {
  DLL_PROCESS_DETACH = 0,
  DLL_PROCESS_ATTACH = 1,
  DLL_THREAD_ATTACH = 2,
  DLL_THREAD_DETACH = 3,
};

// Error codes of the registry and user functions.
enum : LONG {
  ERROR_SUCCESS = 0,
  ERROR_FILE_NOT_FOUND = 2,
  ERROR_ACCESS_DENIED = 5,
  ERROR_INVALID_HANDLE = 6,
  ERROR_INVALID_PARAMETER = 87,
  ERROR_INSUFFICIENT_BUFFER = 122,
  ERROR_MORE_DATA = 234,
};

// Registry.
#define HKEY_CURRENT_USER (reinterpret_cast<HKEY>(static_cast<intptr_t>(0x80000001)))
enum : DWORD {
  REG_NONE = 0,
  REG_SZ = 1,
  REG_BINARY = 3,
  REG_DWORD = 4,
  REG_OPTION_NON_VOLATILE = 0,
  REG_OPTION_VOLATILE = 1,
  REG_CREATED_NEW_KEY = 1,
  REG_OPENED_EXISTING_KEY = 2,
  KEY_QUERY_VALUE = 0x0001,
  KEY_SET_VALUE = 0x0002,
  KEY_ALL_ACCESS = 0xF003F,
};

// Message box.
enum : UINT {
  MB_OK = 0x0,
  MB_OKCANCEL = 0x1,
  MB_ICONERROR = 0x10,
  MB_ICONWARNING = 0x30,
  MB_ICONINFORMATION = 0x40,
};
enum : int {
  IDOK = 1,
  IDCANCEL = 2,
};

extern "C" {
// kernel32
BOOL DisableThreadLibraryCalls(HMODULE module);
HMODULE GetModuleHandleA(LPCSTR moduleName);
FARPROC GetProcAddress(HMODULE module, LPCSTR procName);
DWORD GetLastError(void);

// user32
BOOL EnumWindows(WNDENUMPROC proc, LPARAM lParam);
HWND GetParent(HWND hwnd);
int GetClassNameA(HWND hwnd, LPSTR className, int maxCount);
int GetWindowTextA(HWND hwnd, LPSTR text, int maxCount);
HWND GetActiveWindow(void);
int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);

// advapi32
LSTATUS RegCreateKeyExA(HKEY key, LPCSTR subKey, DWORD reserved, LPSTR keyClass, DWORD options,
                        REGSAM samDesired, const void* securityAttributes, PHKEY result,
                        LPDWORD disposition);
LSTATUS RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data,
                         LPDWORD cbData);
LSTATUS RegSetValueExA(HKEY key, LPCSTR valueName, DWORD reserved, DWORD type, const BYTE* data,
                       DWORD cbData);
LSTATUS RegCloseKey(HKEY key);
BOOL GetUserNameA(LPSTR buffer, LPDWORD size);
}
#endif  // _WIN32
