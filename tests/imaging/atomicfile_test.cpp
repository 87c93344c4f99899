// Atomic writes of the wallpaper BMP and the JPEG thumbnails on a disk that fills up: the
// old file survives whole, the error names the system's reason, no temporary is left.
#include "imaging/bitmap.h"
#include "imaging/codecs.h"
#include "storage/atomicfile.h"

#include "samples.h"
#include "tempdir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <functional>
#include <string>

#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

using Writer = std::function<void(const Bitmap&, const fs::path&)>;

struct WriterCase {
    const char* name;
    Writer write;
};

const WriterCase Writers[] = {
    {"Bmp", [](const Bitmap& b, const fs::path& p) { b.saveToFile(p); }},
    {"Jpeg", [](const Bitmap& b, const fs::path& p) { bitmap2Jpeg(b, p); }},
};

// A noisy picture: its JPEG is tens of kilobytes, well below the writers' buffers.
Bitmap noise(int w, int h) {
    Bitmap b;
    b.createUninitialized(w, h, PixelFormat::Bits24);
    std::uint32_t seed = 12345;
    for (int y = 0; y < h; ++y)
        for (std::size_t i = 0; i < std::size_t(w) * 3; ++i) {
            seed = seed * 1664525u + 1013904223u;
            b.scanLine(y)[i] = static_cast<std::uint8_t>(seed >> 24);
        }
    return b;
}

std::vector<std::string> fileNames(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// Runs body in a child process; what it returns (a message, empty for success) comes back
// through a pipe, since the child may not be able to write files.
std::string inChild(const std::function<std::string()>& body) {
    int fds[2];
    if (pipe(fds) != 0)
        return "pipe failed";
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        std::string result;
        try {
            result = body();
        } catch (const std::exception& e) {
            result = std::string("unexpected exception: ") + e.what();
        }
        const ssize_t ignored = ::write(fds[1], result.data(), result.size());
        (void)ignored;
        _exit(0);
    }
    close(fds[1]);
    std::string out;
    char buffer[512];
    ssize_t n;
    while ((n = read(fds[0], buffer, sizeof buffer)) > 0)
        out.append(buffer, std::size_t(n));
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return "child did not finish";
    return out;
}

// What a failed write must leave: the old bytes, no temporary, an error with the reason.
std::string checkFailedWrite(const WriterCase& writer, const fs::path& target,
                             const samples::Bytes& old, int expectedErrno) {
    std::string message;
    try {
        writer.write(noise(100, 60), target); // well below the writers' buffers
        return "the failed write was reported as success";
    } catch (const ImageError& e) {
        message = e.what();
    }
    if (message.find(std::strerror(expectedErrno)) == std::string::npos)
        return "message without the system's reason: " + message;
    if (samples::readFile(target) != old)
        return "the old file was changed";
    for (const std::string& name : fileNames(target.parent_path()))
        if (isAtomicTemporaryName(name))
            return "a temporary was left: " + name;
    return "";
}

class FailingWrite : public testing::TestWithParam<WriterCase> {
protected:
    TempDir m_dir;
    fs::path m_target = m_dir.path() / "target";
    const samples::Bytes m_old = samples::Bytes(1000, 0x5A);
    void SetUp() override { samples::writeFile(m_target, m_old); }
};

TEST_P(FailingWrite, FileSizeLimitBelowTheBufferKeepsTheOldFile) {
    // The limit stops the write only at the final flush of the buffered bytes, as a
    // nearly full disk does with a small file.
    const std::string result = inChild([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{4096, 4096};
        setrlimit(RLIMIT_FSIZE, &limit);
        return checkFailedWrite(GetParam(), m_target, m_old, EFBIG);
    });
    EXPECT_EQ(result, "");
    EXPECT_EQ(samples::readFile(m_target), m_old);
    EXPECT_EQ(fileNames(m_dir.path()), std::vector<std::string>{"target"});
}

TEST_P(FailingWrite, FullFileSystemKeepsTheOldFile) {
    // A small tmpfs of the test's own, mounted in a private mount namespace of a child.
    const fs::path mountPoint = m_dir.path() / "small";
    fs::create_directory(mountPoint);
    const std::string result = inChild([&]() -> std::string {
        if (geteuid() != 0 && unshare(CLONE_NEWUSER) != 0)
            return "skip: no user namespace";
        if (unshare(CLONE_NEWNS) != 0 ||
            mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            mount("tmpfs", mountPoint.c_str(), "tmpfs", 0, "size=256k") != 0)
            return "skip: cannot mount a tmpfs here";
        const fs::path file = mountPoint / "target";
        samples::writeFile(file, m_old);
        // Fill what is left.
        {
            std::FILE* filler = std::fopen((mountPoint / "filler").c_str(), "wb");
            const std::vector<char> block(4096, 1);
            while (filler && std::fwrite(block.data(), 1, block.size(), filler) == block.size())
                ;
            if (filler)
                std::fclose(filler);
        }
        const std::string check = checkFailedWrite(GetParam(), file, m_old, ENOSPC);
        if (!check.empty())
            return check;
        // With room again the same write succeeds.
        fs::remove(mountPoint / "filler");
        GetParam().write(noise(40, 30), file);
        return samples::readFile(file) == m_old ? "the retried write did not replace the file" : "";
    });
    if (result.rfind("skip: ", 0) == 0)
        GTEST_SKIP() << result;
    EXPECT_EQ(result, "");
}

INSTANTIATE_TEST_SUITE_P(Writers, FailingWrite, testing::ValuesIn(Writers),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(AtomicFile, TemporaryIsNamedAfterItsTargetAndRecognised) {
    TempDir dir;
    const fs::path target = dir.path() / "Wallpaper.bmp";
    {
        storage::AtomicFile file(target);
        const std::string name = file.temporaryPath().filename().string();
        EXPECT_EQ(file.temporaryPath().parent_path(), dir.path());
        EXPECT_EQ(name.rfind("Wallpaper.bmp.tmp-", 0), 0u) << name;
        EXPECT_TRUE(isAtomicTemporaryName(name)) << name;
        EXPECT_TRUE(fs::exists(file.temporaryPath()));
        file.write("abc", 3);
        // Destroyed without commit: nothing happens to the target.
    }
    EXPECT_TRUE(fileNames(dir.path()).empty());

    storage::AtomicFile file(target);
    file.write("abc", 3);
    file.commit();
    EXPECT_EQ(fileNames(dir.path()), std::vector<std::string>{"Wallpaper.bmp"});
}

TEST(AtomicFile, OnlyItsOwnTemporaryNamesAreRecognised) {
    for (const char* name : {"Wallpaper.bmp.tmp-0123456789abcdef", "a.tmp-ffffffffffffffff",
                             "list.txt.tmp-0000000000000000"})
        EXPECT_TRUE(isAtomicTemporaryName(name)) << name;
    for (const char* name :
         {"Wallpaper.bmp", ".tmp-0123456789abcdef", "Wallpaper.bmp.tmp-0123456789abcde",
          "Wallpaper.bmp.tmp-0123456789abcdef0", "Wallpaper.bmp.tmp-0123456789ABCDEF",
          "Wallpaper.bmp.tmp0123456789abcdef", "Wallpaper.bmp.tmp-0123456789abcdeg",
          "dir/x.tmp-0123456789abcdef", "photo.tmp-holiday.jpg", ""})
        EXPECT_FALSE(isAtomicTemporaryName(name)) << name;
}

} // namespace
