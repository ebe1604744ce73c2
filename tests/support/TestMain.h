#pragma once

#include <QApplication>
#include <QTest>

// Runs several test classes in one executable (one executable per area).
// Arguments are handed to each class, so "-o file,txt" style options still work.
template<typename... Tests>
int runTests(int argc, char** argv)
{
    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    int failed = 0;
    auto runOne = [&](auto&& test) { failed += QTest::qExec(&test, argc, argv); };
    (runOne(Tests {}), ...);
    return failed;
}

#define PORLUNE_TEST_MAIN(...)                                                                     \
    int main(int argc, char** argv)                                                                \
    {                                                                                              \
        return runTests<__VA_ARGS__>(argc, argv);                                                  \
    }
