#pragma once

#include <gtest/gtest.h>

#include <ostream>
#include <string>

// The rows of the GoogleTest tables carry a name.  A test file says
// "using testsupport::PrintTo;" in the namespace of its rows, and a failure
// then names the row; RowName names each instantiated test after its row.
namespace testsupport {

template<typename Row>
requires requires(const Row &row)
{
    std::string(row.name);
}
void PrintTo(const Row &row, std::ostream *out)
{
    *out << row.name;
}

struct RowName
{
    template<typename Row>
    std::string operator()(const testing::TestParamInfo<Row> &info) const
    {
        return std::string(info.param.name);
    }
};

} // namespace testsupport
