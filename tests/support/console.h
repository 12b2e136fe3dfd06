// Console capture for the tests: what one call printed on standard output and standard error.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

struct Console {
    std::string err, out;
};

// Runs call with both streams captured; returns what it printed.
template <typename Call> Console captureConsole(Call&& call) {
    testing::internal::CaptureStderr();
    testing::internal::CaptureStdout();
    call();
    std::fflush(stdout);
    Console console;
    console.out = testing::internal::GetCapturedStdout();
    console.err = testing::internal::GetCapturedStderr();
    return console;
}
