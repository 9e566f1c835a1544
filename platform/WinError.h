#pragma once

// Win32 error codes returned by the platform layer. The program has always reported the
// system's own codes, so both implementations speak them.
namespace kv::platform {

using WinError = long;

enum : long {
    kErrorSuccess = 0,
    kErrorFileNotFound = 2,
    kErrorPathNotFound = 3,
    kErrorAccessDenied = 5,
    kErrorInvalidHandle = 6,
    kErrorNotEnoughMemory = 8,
    kErrorInvalidData = 13,
    kErrorNotReady = 21,
    kErrorWriteFault = 29,
    kErrorReadFault = 30,
    kErrorSharingViolation = 32,
    kErrorLockViolation = 33,
    kErrorHandleDiskFull = 39,
    kErrorNotSupported = 50,
    kErrorFileExists = 80,
    kErrorInvalidParameter = 87,
    kErrorDiskFull = 112,
    kErrorInsufficientBuffer = 122,
    kErrorInvalidName = 123,
    kErrorDirNotEmpty = 145,
    kErrorAlreadyExists = 183,
    kErrorMoreData = 234,
    kErrorNoMoreItems = 259,
    kErrorBadDb = 1009, // the registry's files are damaged
    kErrorKeyDeleted = 1018,
    kErrorBadPathname = 161,
};

} // namespace kv::platform
