#include "mesh/image_decode.h"

#include "mesh/decoder/image_header.h"
#include "mesh/decoder/image_protocol.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

extern char** environ;

namespace {

DecodedImage failure(std::string why) {
    DecodedImage image;
    image.error = std::move(why);
    return image;
}

// The decoder program: $HV_IMAGE_DECODER when set, else hollowvista-decode beside the running
// program, else the one this build made.
std::string decoderPath() {
    if (const char* chosen = std::getenv("HV_IMAGE_DECODER"); chosen && *chosen)
        return chosen;
    char self[4096];
    const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n > 0) {
        std::string beside(self, std::size_t(n));
        beside = beside.substr(0, beside.find_last_of('/') + 1) + "hollowvista-decode";
        if (access(beside.c_str(), X_OK) == 0)
            return beside;
    }
    return HV_DECODER_PATH;
}

// Seconds to wait for the decoder before it is stopped: twice its processor-time limit, so a
// decoder that sleeps or blocks is ended as surely as one that computes.
double waitSeconds() {
    if (const char* chosen = std::getenv("HV_IMAGE_DECODE_SECONDS"); chosen && *chosen) {
        const double seconds = std::atof(chosen);
        if (seconds > 0)
            return seconds;
    }
    return 2.0 * kDecoderCpuSeconds;
}

double now() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// Reads size bytes from fd into out before deadline; false at the end of the stream, on an
// error or when the time is up (timedOut then set).
bool readFully(int fd, void* out, std::size_t size, double deadline, bool& timedOut) {
    char* p = static_cast<char*>(out);
    while (size > 0) {
        const double left = deadline - now();
        if (left <= 0) {
            timedOut = true;
            return false;
        }
        pollfd ready{fd, POLLIN, 0};
        const int polled = poll(&ready, 1, static_cast<int>(left * 1000) + 1);
        if (polled < 0 && errno == EINTR)
            continue;
        if (polled <= 0)
            continue; // the deadline is checked again
        const ssize_t n = read(fd, p, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        p += n;
        size -= std::size_t(n);
    }
    return true;
}

// What a decoder that ended without a whole record died of.
std::string deathOf(int status, bool stopped) {
    if (stopped)
        return "decoding took longer than " + std::to_string(int(waitSeconds())) + " s";
    if (WIFSIGNALED(status)) {
        if (WTERMSIG(status) == SIGXCPU)
            return "decoding took more than " + std::to_string(kDecoderCpuSeconds) +
                   " s of processor time";
        return std::string("the decoder crashed (") + strsignal(WTERMSIG(status)) + ")";
    }
    return "the decoder failed";
}

// Runs the decoder on the image readable from input (a descriptor positioned at its start).
DecodedImage runDecoder(int input, const std::string& extension, int maxSide) {
    int pipeEnds[2];
    if (pipe2(pipeEnds, O_CLOEXEC) != 0)
        return failure("cannot start the decoder");
    fcntl(pipeEnds[0], F_SETPIPE_SZ, 1 << 20); // fewer wake-ups for large pictures

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, input, 0);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], 1);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);
    const std::string program = decoderPath(), side = std::to_string(maxSide);
    char* args[] = {const_cast<char*>(program.c_str()), const_cast<char*>(side.c_str()),
                    const_cast<char*>(extension.c_str()), nullptr};
    pid_t child = 0;
    const int spawned = posix_spawn(&child, program.c_str(), &actions, nullptr, args, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    if (spawned != 0) {
        close(pipeEnds[0]);
        return failure("cannot start the decoder " + program);
    }

    const double deadline = now() + waitSeconds();
    bool timedOut = false;
    DecoderRecord record;
    DecodedImage image;
    // An answer that is no record is the decoder's failure, whatever it does after.
    const bool answered = readFully(pipeEnds[0], &record, sizeof record, deadline, timedOut);
    bool whole = answered && record.valid();
    bool nonsense = answered && !whole;
    if (whole && record.status == 0) {
        const unsigned long long pixels = 1ULL * record.width * record.height;
        whole = record.width > 0 && record.height > 0 && pixels <= 16384ULL * 16384ULL &&
                record.bytes == pixels * 4;
        nonsense = !whole;
        if (whole) {
            image.rgba.resize(record.bytes);
            whole = readFully(pipeEnds[0], image.rgba.data(), record.bytes, deadline, timedOut);
            image.width = int(record.width);
            image.height = int(record.height);
        }
    } else if (whole) {
        std::string why(std::min<std::uint32_t>(record.bytes, 4096), '\0');
        whole = readFully(pipeEnds[0], why.data(), why.size(), deadline, timedOut);
        image = failure(why);
        image.tooLarge = record.status == 2;
        image.width = int(record.width);
        image.height = int(record.height);
    }
    close(pipeEnds[0]);
    if (!whole)
        kill(child, SIGKILL);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (!whole) {
        image = failure(nonsense ? "the decoder failed" : deathOf(status, timedOut));
    } else if (image.error.empty() && maxSide > 0 &&
               (image.width > maxSide || image.height > maxSide)) {
        const int width = image.width, height = image.height;
        image = failure("too large");
        image.tooLarge = true;
        image.width = width;
        image.height = height;
    }
    return image;
}

} // namespace

DecodedImage decodeImageFile(const std::string& path, int maxSide) {
    // Opened without blocking and checked before the decoder sees it: a FIFO or device
    // named as an image is refused, never waited on or read for ever.
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return failure(std::string("cannot open (") + std::strerror(errno) + ")");
    struct stat info {};
    DecodedImage image;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))
        image = failure("not a regular file");
    else if (static_cast<unsigned long long>(info.st_size) > kMaxImageFileBytes)
        image = failure("refused (larger than 1 GiB)");
    else {
        fcntl(fd, F_SETFL, 0);
        image = runDecoder(fd, imageExtension(path), maxSide);
    }
    close(fd);
    return image;
}

DecodedImage decodeImageMemory(const unsigned char* data, std::size_t size, int maxSide) {
    if (size > kMaxImageFileBytes)
        return failure("refused (larger than 1 GiB)");
    const int fd = memfd_create("hollowvista-image", MFD_CLOEXEC);
    if (fd < 0)
        return failure("cannot hand the image to the decoder");
    std::size_t written = 0;
    while (written < size) {
        const ssize_t n = write(fd, data + written, size - written);
        if (n <= 0 && errno != EINTR)
            break;
        if (n > 0)
            written += std::size_t(n);
    }
    DecodedImage image = written == size && lseek(fd, 0, SEEK_SET) == 0
                             ? runDecoder(fd, "", maxSide)
                             : failure("cannot hand the image to the decoder");
    close(fd);
    return image;
}
