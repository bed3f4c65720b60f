#pragma once

#include <QtTest>

namespace vaddex::test {

// The rows of a table whose cases differ in one flag.
inline void FlagRows(const char* column, const char* whenFalse, const char* whenTrue) {
    QTest::addColumn<bool>(column);
    QTest::newRow(whenFalse) << false;
    QTest::newRow(whenTrue) << true;
}

}  // namespace vaddex::test
