// SPDX-License-Identifier: MIT
#pragma once

// A small test harness for the Windows test programs, which are built without Qt: tests
// register themselves, checks count failures and print what differed, and a test that checks
// nothing counts as failed.

#include <cstdio>
#include <cstring>
#include <sstream>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace minitest {

struct TestCase {
    const char* name;
    void (*run)();
};

inline std::vector<TestCase>& registry() {
    static std::vector<TestCase> tests;
    return tests;
}

struct Registrar {
    Registrar(const char* name, void (*run)()) { registry().push_back({name, run}); }
};

struct Counters {
    int checks = 0;
    int failures = 0;
};

inline Counters& current() {
    static Counters counters;
    return counters;
}

// Shows bytes as a quoted string with escapes, so zero bytes and line ends are visible.
inline std::string show(std::string_view bytes) {
    std::string out = "\"";
    const std::size_t shown = bytes.size() > 200 ? 200 : bytes.size();
    for (std::size_t i = 0; i < shown; ++i) {
        const unsigned char c = static_cast<unsigned char>(bytes[i]);
        if (c >= 0x20 && c < 0x7F && c != '"' && c != '\\') {
            out += static_cast<char>(c);
        } else {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\x%02X", c);
            out += escape;
        }
    }
    out += "\"";
    if (shown < bytes.size()) {
        out += "... (" + std::to_string(bytes.size()) + " bytes)";
    }
    return out;
}

template <typename T> std::string show(const T& value) {
    if constexpr (std::is_convertible_v<const T&, std::string_view>) {
        return show(std::string_view(value));
    } else {
        std::ostringstream out;
        out << value;
        return out.str();
    }
}

inline bool Check(bool ok, const char* expression, const char* file, int line) {
    ++current().checks;
    if (!ok) {
        ++current().failures;
        std::printf("  FAIL %s:%d: %s\n", file, line, expression);
    }
    return ok;
}

template <typename A, typename B>
bool CheckEqual(const A& actual, const B& expected, const char* actualText,
                const char* expectedText, const char* file, int line) {
    ++current().checks;
    if (actual == expected) {
        return true;
    }
    ++current().failures;
    std::printf("  FAIL %s:%d: %s == %s\n    actual:   %s\n    expected: %s\n", file, line,
                actualText, expectedText, show(actual).c_str(), show(expected).c_str());
    return false;
}

// Runs every test whose name contains the first argument (all without one); returns the
// process exit code: 0 when every test passed.
inline int runAll(int argc, char** argv) {
    const char* filter = argc > 1 ? argv[1] : "";
    int failedTests = 0;
    int run = 0;
    for (const TestCase& test : registry()) {
        if (std::strstr(test.name, filter) == nullptr) {
            continue;
        }
        ++run;
        current() = Counters{};
        std::printf("RUN  %s\n", test.name);
        std::fflush(stdout);
        test.run();
        if (current().checks == 0) {
            std::printf("  FAIL %s checked nothing\n", test.name);
            ++current().failures;
        }
        std::printf("%s %s (%d checks)\n", current().failures ? "FAIL" : "PASS", test.name,
                    current().checks);
        std::fflush(stdout);
        if (current().failures) {
            ++failedTests;
        }
    }
    std::printf("%d of %d tests passed\n", run - failedTests, run);
    return (failedTests == 0 && run > 0) ? 0 : 1;
}

} // namespace minitest

#define MT_TEST(name)                                                                              \
    static void name();                                                                            \
    static const minitest::Registrar name##Registrar(#name, name);                                 \
    static void name()

#define MT_CHECK(expression)                                                                       \
    minitest::Check(static_cast<bool>(expression), #expression, __FILE__, __LINE__)

#define MT_CHECK_EQ(actual, expected)                                                              \
    minitest::CheckEqual((actual), (expected), #actual, #expected, __FILE__, __LINE__)
