// Helpers shared by the LP library tests.
#ifndef VELOR_TESTS_LP_LP_TEST_SUPPORT_H
#define VELOR_TESTS_LP_LP_TEST_SUPPORT_H

#include "lp/lpx.h"
#include "lp/lpx_testing.h"

#include <gtest/gtest.h>

#include <functional>
#include <iostream>
#include <sstream>
#include <string>

namespace lptest {

// Redirects the library's console stream into a string for the lifetime of the object.
class ConsoleCapture {
public:
    ConsoleCapture() { LP_SETCONSOLE(&text_); }
    ~ConsoleCapture() { LP_SETCONSOLE(&std::cout); }
    std::string text() const { return text_.str(); }

private:
    std::ostringstream text_;
};

// Owns a model and deletes it at the end of the test, whatever happened.
class Model {
public:
    Model(int n, int m) : lp_(LP_NEW(n, m)) {}
    ~Model() {
        if (lp_ != nullptr)
            LP_DELETE(&lp_);
    }
    Model(const Model&) = delete;
    Model& operator=(const Model&) = delete;
    LpModel* get() const { return lp_; }
    operator LpModel*() const { return lp_; }

    // Row kinds through the bounds of the row's logical.
    void lessEqual(int row, float b) { rowBounds(row, b, 0.0f, 1e31f); }
    void greaterEqual(int row, float b) { rowBounds(row, b, -1e31f, 0.0f); }
    void equal(int row, float b) { rowBounds(row, b, 0.0f, 0.0f); }
    void solve() {
        LP_REINVERT(lp_);
        LP_PRIMAL(lp_);
    }

private:
    void rowBounds(int row, float b, float lo, float up) {
        LP_PUTELEM(b, 0, row, lp_);
        LP_PUTLBOUND(lo, -row, lp_);
        LP_PUTUBOUND(up, -row, lp_);
    }
    LpModel* lp_;
};

// Runs f, expects LpFatalError with exactly this message, and the "?" line on the console.
inline void expectFatal(const std::function<void()>& f, const std::string& message) {
    ConsoleCapture console;
    try {
        f();
        ADD_FAILURE() << "expected fatal error: " << message;
    } catch (const LpFatalError& e) {
        EXPECT_EQ(std::string(e.what()), message);
        // Warnings may precede it; the fatal line comes last.
        const std::string line = "?" + message + "\n";
        const std::string text = console.text();
        EXPECT_TRUE(text.size() >= line.size() &&
                    text.compare(text.size() - line.size(), line.size(), line) == 0)
            << text;
        EXPECT_EQ(LP_LASTERROR(), message);
    }
}

} // namespace lptest

#endif
