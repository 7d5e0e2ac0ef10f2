#pragma once

#include <gtest/gtest.h>

#include <string>

// A case name from a file's name: the folders dropped and every character other than an
// ASCII letter or digit made '_' ("data/table-biff5.xls" gives "table_biff5_xls"). ctest
// and --gtest_filter then show which file failed, and no name depends on where the
// checkout lives.
std::string FileCaseName(const std::string &path);

// The name generator of a suite whose parameter is a file name or path.
struct NameAfterFile {
    template <class Param> std::string operator()(const ::testing::TestParamInfo<Param> &info) const
    {
        return FileCaseName(info.param);
    }
};

// The same for a parameter whose file is its field File.
struct NameAfterFileField {
    template <class Param> std::string operator()(const ::testing::TestParamInfo<Param> &info) const
    {
        return FileCaseName(info.param.File);
    }
};

// The name generator of a table of cases, each named by its field What.
struct NameAfterWhat {
    template <class Param> std::string operator()(const ::testing::TestParamInfo<Param> &info) const
    {
        return info.param.What;
    }
};
