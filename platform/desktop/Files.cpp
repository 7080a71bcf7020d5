// File references as absolute paths; forks as POSIX file descriptors behind small reference numbers.
#include "platform/desktop/Files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <map>
#include <mutex>
#include <string>

#include "platform/cf/CFString.h"

namespace {

std::mutex& ForkLock()
{
    static std::mutex m;
    return m;
}
// Reference number -> descriptor.
std::map<FSIORefNum, int>& Forks()
{
    static std::map<FSIORefNum, int> m;
    return m;
}

std::atomic<ResFileRefNum> sCurrentResFile{0};

OSErr FromErrno(int e)
{
    switch (e) {
    case ENOENT:
    case ENOTDIR: return fnfErr;
    case EACCES:
    case EPERM: return afpAccessDenied;
    default: return ioErr;
    }
}

bool CopyPath(char (&dst)[4096], const std::string& src)
{
    if (src.size() + 1 > sizeof dst) return false;
    std::memcpy(dst, src.c_str(), src.size() + 1);
    return true;
}

int Descriptor(FSIORefNum ref)
{
    std::lock_guard<std::mutex> g(ForkLock());
    auto it = Forks().find(ref);
    return it == Forks().end() ? -1 : it->second;
}

}  // namespace

Boolean CFURLGetFSRef(CFURLRef url, FSRef* fsRef)
{
    char path[sizeof(FSRef::path)];
    if (!fsRef || !CFURLGetFileSystemRepresentation(url, true, reinterpret_cast<UInt8*>(path), sizeof path))
        return false;
    struct stat st;
    if (stat(path, &st) != 0) return false;
    std::string p(path);
    if (p.size() > 1 && p.back() == '/') p.pop_back();
    return CopyPath(fsRef->path, p);
}

CFURLRef CFURLCreateFromFSRef(CFAllocatorRef, const FSRef* fsRef)
{
    if (!fsRef) return nullptr;
    struct stat st;
    if (stat(fsRef->path, &st) != 0) return nullptr;
    CFStringRef s = CFStringCreateWithCString(nullptr, fsRef->path, kCFStringEncodingUTF8);
    if (!s) return nullptr;
    CFURLRef url = CFURLCreateWithFileSystemPath(nullptr, s, kCFURLPOSIXPathStyle, S_ISDIR(st.st_mode));
    CFRelease(s);
    return url;
}

OSErr FSGetCatalogInfo(const FSRef* ref, FSCatalogInfoBitmap whichInfo, FSCatalogInfo* catalogInfo,
                       HFSUniStr255* outName, FSSpec* fsSpec, FSRef* parentRef)
{
    if (!ref) return paramErr;
    struct stat st;
    if (stat(ref->path, &st) != 0) return FromErrno(errno);
    std::string path(ref->path);
    if (catalogInfo) {
        if (whichInfo & kFSCatInfoNodeFlags) catalogInfo->nodeFlags = S_ISDIR(st.st_mode) ? kFSNodeIsDirectoryMask : 0;
        if (whichInfo & kFSCatInfoDataSizes) {
            catalogInfo->dataLogicalSize = S_ISREG(st.st_mode) ? UInt64(st.st_size) : 0;
            catalogInfo->dataPhysicalSize = UInt64(st.st_blocks) * 512;
        }
    }
    size_t slash = path.rfind('/');
    if (outName) {
        std::string leaf = slash == std::string::npos ? path : path.substr(slash + 1);
        outName->length = 0;
        for (unsigned char c : leaf)  // UTF-8 bytes beyond ASCII are kept as they are
            if (outName->length < 255) outName->unicode[outName->length++] = c;
    }
    if (fsSpec && !CopyPath(fsSpec->path, path)) return paramErr;
    if (parentRef) {
        std::string parent = slash == std::string::npos || slash == 0 ? "/" : path.substr(0, slash);
        CopyPath(parentRef->path, parent);
    }
    return noErr;
}

OSErr FSGetDataForkName(HFSUniStr255* dataForkName)
{
    if (!dataForkName) return paramErr;
    dataForkName->length = 0;
    return noErr;
}

OSErr FSOpenFork(const FSRef* ref, UniCharCount forkNameLength, const UniChar*, SInt8 permissions,
                 FSIORefNum* forkRefNum)
{
    if (!ref || !forkRefNum) return paramErr;
    if (forkNameLength != 0) return errFSForkNotFound;
    if (permissions != fsRdPerm && permissions != fsCurPerm) return permErr;
    int fd = ::open(ref->path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return FromErrno(errno);
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return errFSForkNotFound;
    }
    std::lock_guard<std::mutex> g(ForkLock());
    for (FSIORefNum n = 1; n < 0x7fff; ++n) {
        if (!Forks().count(n)) {
            Forks()[n] = fd;
            *forkRefNum = n;
            return noErr;
        }
    }
    ::close(fd);
    return tmfoErr;
}

OSErr FSReadFork(FSIORefNum forkRefNum, UInt16 positionMode, SInt64 positionOffset, ByteCount requestCount,
                 void* buffer, ByteCount* actualCount)
{
    if (actualCount) *actualCount = 0;
    int fd = Descriptor(forkRefNum);
    if (fd < 0) return rfNumErr;
    if (!buffer && requestCount) return paramErr;
    off_t start;
    switch (positionMode & 3) {
    case fsAtMark: start = lseek(fd, 0, SEEK_CUR); break;
    case fsFromStart: start = lseek(fd, positionOffset, SEEK_SET); break;
    case fsFromLEOF: start = lseek(fd, positionOffset, SEEK_END); break;
    default: start = lseek(fd, positionOffset, SEEK_CUR); break;
    }
    if (start < 0) return posErr;
    ByteCount done = 0;
    auto* p = static_cast<UInt8*>(buffer);
    while (done < requestCount) {
        ssize_t n = ::read(fd, p + done, requestCount - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            if (actualCount) *actualCount = done;
            return ioErr;
        }
        if (n == 0) break;
        done += ByteCount(n);
    }
    if (actualCount) *actualCount = done;
    return done == requestCount ? OSErr(noErr) : OSErr(eofErr);
}

OSErr FSCloseFork(FSIORefNum forkRefNum)
{
    int fd;
    {
        std::lock_guard<std::mutex> g(ForkLock());
        auto it = Forks().find(forkRefNum);
        if (it == Forks().end()) return rfNumErr;
        fd = it->second;
        Forks().erase(it);
    }
    return ::close(fd) == 0 ? OSErr(noErr) : OSErr(ioErr);
}

int ReadWholeFile(const char* path, size_t limit, std::vector<UInt8>& out)
{
    out.clear();
    int fd = ::open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);  // a FIFO must not block the open
    if (fd < 0) return errno;
    struct stat st;
    int err = fstat(fd, &st) != 0 ? errno : !S_ISREG(st.st_mode) ? EISDIR : 0;
    if (!err && UInt64(st.st_size) > limit) err = EFBIG;
    UInt8 buf[65536];
    while (!err) {
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) err = errno;
        if (n <= 0) break;
        if (out.size() + size_t(n) > limit) err = EFBIG;  // grew while being read
        else out.insert(out.end(), buf, buf + n);
    }
    ::close(fd);
    if (err) out.clear();
    return err;
}

ResFileRefNum CurResFile() { return sCurrentResFile.load(std::memory_order_relaxed); }
void UseResFile(ResFileRefNum refNum) { sCurrentResFile.store(refNum, std::memory_order_relaxed); }
