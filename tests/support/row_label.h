// The name generator of the table-driven suites: each row carries a label, and the instance
// for a row is named after it, so that a failing row names itself and the test names stay
// the same from build to build. (ctest lists the names without the printed rows.)
#pragma once

#include <gtest/gtest.h>

#include <string>

struct RowLabel {
    template <typename Row> std::string operator()(const testing::TestParamInfo<Row>& row) const {
        return row.param.label;
    }
};
