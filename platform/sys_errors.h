// The runtime's errno values as the Windows runtime numbers them: the seam
// reports every failure in these numbers on both platforms, so a caller
// compares errno against one set of names whichever backend ran.
#ifndef PLATFORM_SYS_ERRORS_H
#define PLATFORM_SYS_ERRORS_H

#include <cstdint>

// The runtime leaves 15, 26, 35 and 37 without a name (the error table reads
// them "Unknown error").
constexpr int32_t ERR_SYS_NO_ERROR = 0;
constexpr int32_t ERR_SYS_EPERM = 1;
constexpr int32_t ERR_SYS_ENOENT = 2;
constexpr int32_t ERR_SYS_ESRCH = 3;
constexpr int32_t ERR_SYS_EINTR = 4;
constexpr int32_t ERR_SYS_EIO = 5;
constexpr int32_t ERR_SYS_ENXIO = 6;
constexpr int32_t ERR_SYS_E2BIG = 7;
constexpr int32_t ERR_SYS_ENOEXEC = 8;
constexpr int32_t ERR_SYS_EBADF = 9;
constexpr int32_t ERR_SYS_ECHILD = 10;
constexpr int32_t ERR_SYS_EAGAIN = 11;
constexpr int32_t ERR_SYS_ENOMEM = 12;
constexpr int32_t ERR_SYS_EACCES = 13;
constexpr int32_t ERR_SYS_EFAULT = 14;
constexpr int32_t ERR_SYS_EBUSY = 16;
constexpr int32_t ERR_SYS_EEXIST = 17;
constexpr int32_t ERR_SYS_EXDEV = 18;
constexpr int32_t ERR_SYS_ENODEV = 19;
constexpr int32_t ERR_SYS_ENOTDIR = 20;
constexpr int32_t ERR_SYS_EISDIR = 21;
constexpr int32_t ERR_SYS_EINVAL = 22;
constexpr int32_t ERR_SYS_ENFILE = 23;
constexpr int32_t ERR_SYS_EMFILE = 24;
constexpr int32_t ERR_SYS_ENOTTY = 25;
constexpr int32_t ERR_SYS_EFBIG = 27;
constexpr int32_t ERR_SYS_ENOSPC = 28;
constexpr int32_t ERR_SYS_ESPIPE = 29;
constexpr int32_t ERR_SYS_EROFS = 30;
constexpr int32_t ERR_SYS_EMLINK = 31;
constexpr int32_t ERR_SYS_EPIPE = 32;
constexpr int32_t ERR_SYS_EDOM = 33;
constexpr int32_t ERR_SYS_ERANGE = 34;
constexpr int32_t ERR_SYS_EDEADLK = 36;
constexpr int32_t ERR_SYS_ENAMETOOLONG = 38;
constexpr int32_t ERR_SYS_ENOLCK = 39;
constexpr int32_t ERR_SYS_ENOSYS = 40;
constexpr int32_t ERR_SYS_ENOTEMPTY = 41;
constexpr int32_t ERR_SYS_EILSEQ = 42;

#endif
