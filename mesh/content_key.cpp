#include "mesh/content_key.h"

#include <bit>
#include <cstring>
#include <system_error>
#include <thread>

namespace {

constexpr std::uint64_t kPrime1 = 0x9E3779B185EBCA87ull;
constexpr std::uint64_t kPrime2 = 0xC2B2AE3D27D4EB4Full;
constexpr std::uint64_t kPrime3 = 0x165667B19E3779F9ull;
constexpr std::uint64_t kPrime4 = 0x85EBCA77C2B2AE63ull;
constexpr std::uint64_t kPrime5 = 0x27D4EB2F165667C5ull;

// Runs are hashed in chunks of this size so that two threads can share the work of one
// large array; below kThreadedBytes in all, one thread does everything.
constexpr std::size_t kChunkBytes = std::size_t(1) << 20;
constexpr std::size_t kThreadedBytes = std::size_t(4) << 20;

std::uint64_t load64(const unsigned char* p) {
    std::uint64_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

std::uint64_t mixRound(std::uint64_t acc, std::uint64_t input) {
    acc += input * kPrime2;
    acc = std::rotl(acc, 31);
    return acc * kPrime1;
}

std::uint64_t merge(std::uint64_t acc, std::uint64_t value) {
    acc ^= mixRound(0, value);
    return acc * kPrime1 + kPrime4;
}

std::uint64_t avalanche(std::uint64_t h) {
    h ^= h >> 33;
    h *= kPrime2;
    h ^= h >> 29;
    h *= kPrime3;
    h ^= h >> 32;
    return h;
}

struct Chunk {
    const unsigned char* data;
    std::size_t bytes;
};

void hashChunks(const std::vector<Chunk>& chunks, std::vector<std::uint64_t>& out,
                std::size_t begin, std::size_t end) {
    for (std::size_t i = begin; i < end; ++i)
        out[i] = hashBytes(chunks[i].data, chunks[i].bytes, i);
}

} // namespace

std::uint64_t hashBytes(const void* data, std::size_t bytes, std::uint64_t seed) {
    const unsigned char* p = static_cast<const unsigned char*>(data);
    const unsigned char* const end = p + bytes;
    std::uint64_t h;
    if (bytes >= 32) {
        std::uint64_t v1 = seed + kPrime1 + kPrime2, v2 = seed + kPrime2, v3 = seed,
                      v4 = seed - kPrime1;
        for (; p + 32 <= end; p += 32) {
            v1 = mixRound(v1, load64(p));
            v2 = mixRound(v2, load64(p + 8));
            v3 = mixRound(v3, load64(p + 16));
            v4 = mixRound(v4, load64(p + 24));
        }
        h = std::rotl(v1, 1) + std::rotl(v2, 7) + std::rotl(v3, 12) + std::rotl(v4, 18);
        h = merge(merge(merge(merge(h, v1), v2), v3), v4);
    } else {
        h = seed + kPrime5;
    }
    h += bytes;
    for (; p + 8 <= end; p += 8)
        h = std::rotl(h ^ mixRound(0, load64(p)), 27) * kPrime1 + kPrime4;
    for (; p < end; ++p)
        h = std::rotl(h ^ (*p * kPrime5), 11) * kPrime1;
    return avalanche(h);
}

ContentKey& ContentKey::addBytes(const void* data, std::size_t bytes) {
    // An empty array still counts (as a run of length 0), so that emptying one array and
    // filling another changes the key.
    static const unsigned char none = 0;
    pieces_.push_back({bytes ? static_cast<const unsigned char*>(data) : &none, bytes, 0});
    return *this;
}

ContentKey& ContentKey::add(long long value) {
    pieces_.push_back({nullptr, 0, value});
    return *this;
}

std::uint64_t ContentKey::value() const {
    std::vector<Chunk> chunks;
    std::size_t total = 0;
    for (const Piece& piece : pieces_) {
        if (!piece.data)
            continue;
        for (std::size_t at = 0; at < piece.bytes; at += kChunkBytes)
            chunks.push_back({piece.data + at, std::min(kChunkBytes, piece.bytes - at)});
        total += piece.bytes;
    }

    std::vector<std::uint64_t> chunkHashes(chunks.size());
    const std::size_t half = chunks.size() / 2;
    bool done = false;
    if (total >= kThreadedBytes) {
        try {
            std::thread second([&] { hashChunks(chunks, chunkHashes, half, chunks.size()); });
            hashChunks(chunks, chunkHashes, 0, half);
            second.join();
            done = true;
        } catch (const std::system_error&) {
            // No second thread to be had: hash everything here.
        }
    }
    if (!done)
        hashChunks(chunks, chunkHashes, 0, chunks.size());

    // Fold in the original order: numbers, run lengths and the chunks of each run.
    std::uint64_t h = kPrime5;
    std::size_t next = 0;
    for (const Piece& piece : pieces_) {
        if (!piece.data) {
            h = merge(h, static_cast<std::uint64_t>(piece.number));
            continue;
        }
        h = merge(h, piece.bytes);
        for (std::size_t at = 0; at < piece.bytes; at += kChunkBytes)
            h = merge(h, chunkHashes[next++]);
    }
    return avalanche(h);
}
