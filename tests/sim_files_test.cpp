// The simulator's files and settings as a careless or hostile environment
// hands them over: files it must not touch, a full or shrinking file system,
// racing processes, planted links and directories, and bad TKVSIM_* values.
#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <string.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "device_state.h"
#include "lib_fixture.h"

namespace {

// A directory of the test's own, removed with everything in it.
class TempDir {
public:
    TempDir() {
        std::string pattern = std::filesystem::temp_directory_path().string() + "/tkvsim-test-XXXXXX";
        path_ = mkdtemp(pattern.data()) ? pattern : "";
    }
    ~TempDir() {
        umount2(path_.c_str(), MNT_DETACH);  // when a test mounted a small file system here
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    std::string operator/(const std::string &name) const { return path_ + "/" + name; }
    const std::string &path() const { return path_; }
    // A small tmpfs over the directory: false when mounting is refused.
    bool mountTmpfs(const char *size) const { return mount("tmpfs", path_.c_str(), "tmpfs", 0, size) == 0; }

private:
    std::string path_;
};

std::string contentOf(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream all;
    all << in.rdbuf();
    return all.str();
}

// A fresh device under `variables` ("NAME=value", set only for the reset):
// the open's descriptor, and what the reset and open wrote to stderr.
struct Opened {
    int fd;
    std::string errors;
};
Opened openWith(const std::vector<std::string> &variables) {
    for (const std::string &v : variables) putenv(const_cast<char *>(v.c_str()));
    Opened opened{};
    opened.errors = stderrOf([&] {
        tkvsim::reset();
        opened.fd = open("/dev/tkvrw", O_RDWR);
    });
    for (const std::string &v : variables) unsetenv(v.substr(0, v.find('=')).c_str());
    return opened;
}

// 0, or the errno of the memory request.
int access(int fd, uint32_t region, uint32_t direction, uint32_t offset, uint64_t &value) {
    mmio_rw_t record{region, direction, 8, offset, value};
    if (ioctl(fd, IOCTL_MMIO_RW, &record) != 0) return errno;
    value = record.value;
    return 0;
}
int write8(int fd, uint32_t region, uint32_t offset, uint64_t value) {
    return access(fd, region, DIR_WRITE, offset, value);
}
uint64_t read8(int fd, uint32_t region, uint32_t offset, int expectedError = 0) {
    uint64_t value = 0;
    EXPECT_EQ(access(fd, region, DIR_READ, offset, value), expectedError) << "offset " << offset;
    return value;
}

std::string keptInMemory(const std::string &file, const std::string &why) {
    return "tkvsim: " + file + ": " + why + "; keeping the state in memory\n";
}

// Runs `body` in a child process (for settings that stick to a process);
// its exit status.
int inChild(const std::function<int()> &body) {
    fflush(nullptr);
    pid_t child = fork();
    if (child == 0) _exit(body());
    int status = -1;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

}  // namespace

TEST(SimFiles, AFileThatIsNotAStateFileIsNeverWritten) {
    TempDir dir;
    const std::string text = dir / "text", fifo = dir / "fifo", link = dir / "link", others = dir / "others";
    std::ofstream(text) << "precious\n";
    mkfifo(fifo.c_str(), 0600);
    ASSERT_EQ(symlink(text.c_str(), link.c_str()), 0);
    close(creat(others.c_str(), 0600));
    const bool gaveAway = chown(others.c_str(), 65534, 65534) == 0;  // only root can
    const std::string notOurs = "not a simulator state file";
    const std::pair<std::string, std::string> cases[] = {
        {text, notOurs}, {fifo, notOurs}, {link, strerror(ELOOP)}, {others, notOurs}, {"/dev/tkvrw", notOurs},
    };
    for (const auto &[path, why] : cases) {
        if (path == others && !gaveAway) continue;
        Opened opened = openWith({"TKVSIM_STATE=" + path});
        ASSERT_GE(opened.fd, 0) << path;
        EXPECT_EQ(opened.errors, keptInMemory(path, why));
        EXPECT_EQ(write8(opened.fd, REGION_VRAM, 0x100, 0x55), 0) << path;
        EXPECT_EQ(read8(opened.fd, REGION_VRAM, 0x100), 0x55u) << path;
        close(opened.fd);
    }
    EXPECT_EQ(contentOf(text), "precious\n");
    EXPECT_EQ(contentOf(others), "");
    tkvsim::reset();
}

TEST(SimFiles, FilesOfPseudoFileSystemsAreNeverWritten) {
    const std::string comm = "/proc/self/comm", name = contentOf(comm);
    // tmpfs stores files: a state file there is used.
    char shm[] = "/dev/shm/tkvsim-test-XXXXXX";
    struct statfs fileSystem;
    const bool tmpfs =
        statfs("/dev/shm", &fileSystem) == 0 && fileSystem.f_type == 0x01021994 && mkdtemp(shm);
    const std::string inTmpfs = tmpfs ? std::string(shm) + "/state" : "";
    struct Case {
        std::string variable, file, errors;
    };
    const Case cases[] = {
        {"TKVSIM_STATE", comm, keptInMemory(comm, "not a simulator state file")},
        {"TKVSIM_TRACE", comm, "tkvsim: ignoring TKVSIM_TRACE=" + comm + ": not a regular file\n"},
        {"TKVSIM_STATE", inTmpfs, ""},
    };
    for (const Case &c : cases) {
        if (c.file.empty()) continue;
        Opened opened = openWith({c.variable + "=" + c.file});
        ASSERT_GE(opened.fd, 0) << c.variable << "=" << c.file;
        EXPECT_EQ(opened.errors, c.errors) << c.variable << "=" << c.file;
        EXPECT_EQ(write8(opened.fd, REGION_VRAM, 0x100, 0x55), 0) << c.variable << "=" << c.file;
        close(opened.fd);
    }
    EXPECT_EQ(contentOf(comm), name);
    if (tmpfs) {
        struct stat status;
        EXPECT_EQ(stat(inTmpfs.c_str(), &status), 0);
        EXPECT_EQ(static_cast<size_t>(status.st_size), sim::kMappingSize);
        std::filesystem::remove_all(shm);
    }
    tkvsim::reset();
}

TEST(SimFiles, AStateFileIsSharedAndSurvivesTheProcess) {
    TempDir dir;
    const std::string path = dir / "state";
    close(creat(path.c_str(), 0600));  // an empty file is taken over
    // A child writes through its own mapping of the file; the parent reads it back.
    setenv("TKVSIM_STATE", path.c_str(), 1);
    const auto writeThenExit = [] {
        tkvsim::reset();
        const bool done =
            tkvOpen(0) >= 0 && tkvVramWriteLong(0x1234, 0xFEEDF00D) == 0 && tkvCrtcWriteByte(7, 0x42) == 0;
        return done ? 0 : 1;
    };
    EXPECT_EQ(inChild(writeThenExit), 0);
    tkvsim::reset();
    unsetenv("TKVSIM_STATE");
    ASSERT_GE(tkvOpen(0), 0);  // maps the file
    uint32_t value = 0;
    uint8_t crtc = 0;
    EXPECT_EQ(tkvVramReadLong(0x1234, &value), 0);
    EXPECT_EQ(value, 0xFEEDF00Du);
    EXPECT_EQ(tkvCrtcReadByte(7, &crtc), 0);
    EXPECT_EQ(crtc, 0x42);
    tkvClose();
    tkvsim::reset();
}

TEST(SimFiles, ProcessesRacingOnANewStateFileInitialiseItOnce) {
    TempDir dir;
    const std::string path = dir / "state";
    constexpr int kProcesses = 8;
    int start[2];
    ASSERT_EQ(pipe(start), 0);  // the children wait for its end, then all go at once
    setenv("TKVSIM_STATE", path.c_str(), 1);
    std::vector<pid_t> children;
    for (int i = 0; i < kProcesses; ++i) {
        fflush(nullptr);
        pid_t child = fork();
        if (child == 0) {
            close(start[1]);
            char go;
            while (read(start[0], &go, 1) > 0) continue;
            tkvsim::reset();
            int fd = open("/dev/tkvrw", O_RDWR);
            _exit(fd >= 0 && write8(fd, REGION_VRAM, 0x10000u * static_cast<uint32_t>(i),
                                    100u + static_cast<uint32_t>(i)) == 0
                      ? 0
                      : 1);
        }
        children.push_back(child);
    }
    unsetenv("TKVSIM_STATE");
    close(start[0]);
    close(start[1]);
    for (pid_t child : children) {
        int status = -1;
        waitpid(child, &status, 0);
        EXPECT_EQ(status, 0);
    }
    struct stat status;
    ASSERT_EQ(stat(path.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);
    Opened opened = openWith({"TKVSIM_STATE=" + path});
    ASSERT_GE(opened.fd, 0);
    EXPECT_EQ(opened.errors, "");
    for (int i = 0; i < kProcesses; ++i)
        EXPECT_EQ(read8(opened.fd, REGION_VRAM, 0x10000u * static_cast<uint32_t>(i)),
                  100u + static_cast<uint32_t>(i));
    close(opened.fd);
    tkvsim::reset();
}

TEST(SimFiles, ReadsTakeNoStorageAndAFullFileSystemFailsOnlyTheWrites) {
    TempDir dir;
    if (!dir.mountTmpfs("size=1m")) GTEST_SKIP() << "cannot mount a tmpfs here (needs root)";
    const std::string path = dir / "state";
    Opened opened = openWith({"TKVSIM_STATE=" + path});
    ASSERT_GE(opened.fd, 0);
    for (uint32_t offset = 0; offset < (16u << 20); offset += 8) read8(opened.fd, REGION_VRAM, offset);
    struct stat status;
    ASSERT_EQ(stat(path.c_str(), &status), 0);
    EXPECT_LT(status.st_blocks * 512, 64 * 1024);  // the header only

    uint32_t stored = 0;  // pages written before the file system filled up
    std::string errors = stderrOf([&] {
        while (stored < 2048 && write8(opened.fd, REGION_VRAM, stored * 4096, stored + 1) == 0) ++stored;
        uint64_t value = 0;
        EXPECT_EQ(access(opened.fd, REGION_VRAM, DIR_WRITE, stored * 4096, value), ENOSPC);
    });
    EXPECT_GT(stored, 0u);
    EXPECT_LT(stored, 2048u);
    EXPECT_EQ(errors, "tkvsim: " + path + ": cannot store the device state: " + strerror(ENOSPC) + "\n");
    for (uint32_t page = 0; page < stored; ++page)
        EXPECT_EQ(read8(opened.fd, REGION_VRAM, page * 4096), page + 1);
    close(opened.fd);
    tkvsim::reset();
}

TEST(SimFiles, AStateFileThatShrinksFailsRequestsWithEio) {
    TempDir dir;
    const std::string path = dir / "state";
    Opened opened = openWith({"TKVSIM_STATE=" + path});
    ASSERT_GE(opened.fd, 0);
    ASSERT_EQ(write8(opened.fd, REGION_REG, 0x100, 0x1234), 0);
    ASSERT_EQ(write8(opened.fd, REGION_VRAM, 0x100000, 0x5678), 0);
    // The file loses everything after register space's first page.
    ASSERT_EQ(truncate(path.c_str(), static_cast<off_t>(sim::kHeaderSize + 4096)), 0);
    std::string errors = stderrOf([&] {
        read8(opened.fd, REGION_VRAM, 0x100000, EIO);
        EXPECT_EQ(write8(opened.fd, REGION_VRAM, 0x100000, 1), EIO);
    });
    EXPECT_EQ(errors, "tkvsim: " + path + ": cannot store the device state: " + strerror(EIO) + "\n");
    EXPECT_EQ(read8(opened.fd, REGION_REG, 0x100), 0x1234u);
    close(opened.fd);
    tkvsim::reset();
}

TEST(SimFiles, TheDefaultStateFileLivesInADirectoryOfTheUsersOwn) {
    TempDir dir;
    const std::string own = dir / ("tkvsim-" + std::to_string(geteuid()));
    struct Case {
        const char *name;
        std::function<void()> plant;
        std::string variable, stateFile, errors;
    };
    const Case cases[] = {
        {"runtime dir", [&] { mkdir((dir / "run").c_str(), 0700); }, "XDG_RUNTIME_DIR=" + dir / "run",
         dir / "run/tkvsim.state", ""},
        {"new private dir", [] {}, "TMPDIR=" + dir.path(), own + "/tkvsim.state", ""},
        {"planted open dir", [&] { mkdir(own.c_str(), 0700), chmod(own.c_str(), 0777); },
         "TMPDIR=" + dir.path(), "", keptInMemory(own, "not a private directory")},
        {"planted link",
         [&] {
             mkdir((dir / "elsewhere").c_str(), 0700);
             EXPECT_EQ(symlink("elsewhere", own.c_str()), 0);
         },
         "TMPDIR=" + dir.path(), "", keptInMemory(own, "not a private directory")},
    };
    for (const Case &c : cases) {
        std::filesystem::remove_all(own);
        c.plant();
        const std::string errorsFile = dir / "errors";
        const int status = inChild([&] {
            unsetenv("XDG_RUNTIME_DIR");
            putenv(const_cast<char *>(c.variable.c_str()));
            int errors = creat(errorsFile.c_str(), 0600);
            dup2(errors, STDERR_FILENO);
            tkvsim::keepStateInDefaultFile();
            tkvsim::reset();
            int fd = open("/dev/tkvrw", O_RDWR);
            return fd >= 0 && write8(fd, REGION_REG, 0x100, 7) == 0 ? 0 : 1;
        });
        EXPECT_EQ(status, 0) << c.name;
        EXPECT_EQ(contentOf(errorsFile), c.errors) << c.name;
        struct stat file;
        if (c.stateFile.empty()) {
            EXPECT_NE(stat((dir / "elsewhere/tkvsim.state").c_str(), &file), 0) << c.name;
            continue;
        }
        ASSERT_EQ(lstat(c.stateFile.c_str(), &file), 0) << c.name;
        EXPECT_EQ(file.st_mode & 07777, 0600u) << c.name;
        ASSERT_EQ(stat(c.stateFile.substr(0, c.stateFile.rfind('/')).c_str(), &file), 0) << c.name;
        EXPECT_EQ(file.st_mode & 0077, 0u) << c.name;
    }
}

TEST(SimFiles, TraceAndEdidFilesAreNeitherFollowedNorWaitedFor) {
    TempDir dir;
    const std::string trace = dir / "trace", link = dir / "link", fifo = dir / "fifo";
    std::ofstream(dir / "target") << "kept\n";
    ASSERT_EQ(symlink((dir / "target").c_str(), link.c_str()), 0);
    mkfifo(fifo.c_str(), 0600);

    Opened opened = openWith({"TKVSIM_TRACE=" + trace, "TKVSIM_EDID0=" + fifo});
    ASSERT_GE(opened.fd, 0);
    ddc_edid_t edid{};
    EXPECT_EQ(ioctl(opened.fd, IOCTL_DDC_EDID, &edid), -1);  // a FIFO is no EDID file
    EXPECT_EQ(errno, ENXIO);
    close(opened.fd);
    struct stat status;
    ASSERT_EQ(stat(trace.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0600u);
    EXPECT_NE(contentOf(trace).find("ddc fd="), std::string::npos);

    opened = openWith({"TKVSIM_TRACE=" + link});
    ASSERT_GE(opened.fd, 0);
    EXPECT_EQ(opened.errors, "tkvsim: ignoring TKVSIM_TRACE=" + link + ": " + strerror(ELOOP) + "\n");
    close(opened.fd);
    EXPECT_EQ(contentOf(dir / "target"), "kept\n");
    tkvsim::reset();
}

// gcc says it builds with AddressSanitizer one way, clang another.
#if defined(__SANITIZE_ADDRESS__)
#define WITH_ADDRESS_SANITIZER
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define WITH_ADDRESS_SANITIZER
#endif
#endif

TEST(SimFiles, WithoutAddressSpaceTheOpenFailsWithEnomem) {
#if defined(WITH_ADDRESS_SANITIZER)
    GTEST_SKIP() << "the sanitizer needs more address space than the limit leaves";
#endif
    const int status = inChild([] {
        rlimit limit{200000 * 1024, 200000 * 1024};
        setrlimit(RLIMIT_AS, &limit);
        tkvsim::reset();
        return open("/dev/tkvrw", O_RDWR) == -1 && errno == ENOMEM ? 0 : 1;
    });
    EXPECT_EQ(status, 0);
}

TEST(SimSettings, ABadValueIsReportedAndTheDefaultStands) {
    struct Case {
        const char *assignment, *why;
    };
    const char *const errnoRange = "not an error number from 0 to 4095";
    const char *const absent =
        "not CH:ADDR[,CH:ADDR...] with channel 0 or 1, hex address 0-7f, at most 8 devices";
    const Case cases[] = {
        {"TKVSIM_FAIL_OPEN=-5", errnoRange},
        {"TKVSIM_FAIL_REQUESTS=5x", errnoRange},
        {"TKVSIM_FAIL_NTH=4294967296", "not a count from 0 to 4294967295"},
        {"TKVSIM_I2C_HANG=2", "not an I2C channel (0 or 1)"},
        {"TKVSIM_I2C_ABSENT=:50", absent},
        {"TKVSIM_I2C_ABSENT=0:80", absent},
        {"TKVSIM_I2C_ABSENT=0:1,0:2,0:3,0:4,0:5,0:6,0:7,0:8,0:9", absent},
        {"TKVSIM_NO_MONITOR=4", "not a list of DDC port digits 0-3"},
        {"TKVSIM_CAMERA=abc", "not WIDTHxHEIGHT with each from 1 to 65535"},
        {"TKVSIM_CAMERA=65536x65536", "not WIDTHxHEIGHT with each from 1 to 65535"},
        {"TKVSIM_CORE_VERSION=1.2.3", "not A.B.C.D with each from 0 to 2147483647"},
        {"TKVSIM_CORE_VERSION=1.2.3.4.5", "not A.B.C.D with each from 0 to 2147483647"},
        {"TKVSIM_STAT=x", "no such setting"},
    };
    for (const Case &c : cases) {
        Opened opened = openWith({c.assignment});
        EXPECT_EQ(opened.errors, std::string("tkvsim: ignoring ") + c.assignment + ": " + c.why + "\n");
        ASSERT_GE(opened.fd, 0) << c.assignment;
        core_ver_t version{};
        EXPECT_EQ(ioctl(opened.fd, IOCTL_CORE_VER, &version), 0) << c.assignment;
        EXPECT_EQ(version.ver[0] * 1000 + version.ver[1] * 100 + version.ver[2] * 10 + version.ver[3], 1000)
            << c.assignment;
        ddc_edid_t edid{};
        EXPECT_EQ(ioctl(opened.fd, IOCTL_DDC_EDID, &edid), 0) << c.assignment;  // monitor 0 is there
        close(opened.fd);
    }
    Opened opened = openWith({"TKVSIM_CORE_VERSION=2.0.10.3", "TKVSIM_FAIL_REQUESTS=0x5"});
    EXPECT_EQ(opened.errors, "");
    core_ver_t version{};
    EXPECT_EQ(ioctl(opened.fd, IOCTL_CORE_VER, &version), -1);
    EXPECT_EQ(errno, EIO);
    close(opened.fd);
    tkvsim::reset();
}
