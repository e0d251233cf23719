#pragma once
// A fresh, empty directory per test for the renderer's file tests.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

/** testing::TempDir()/vantrix_render/<suite>.<test>, emptied on creation. */
inline std::filesystem::path ScratchDir()
{
  const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
  std::filesystem::path dir = std::filesystem::path(testing::TempDir()) / "vantrix_render" /
                              (std::string(test->test_suite_name()) + "." + test->name());
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  return dir;
}

inline void WriteBytes(const std::filesystem::path& path, const std::vector<uint8_t>& bytes)
{
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

inline void WriteText(const std::filesystem::path& path, const std::string& text)
{
  std::ofstream(path, std::ios::binary) << text;
}

/** The names of the entries of dir, sorted. */
inline std::vector<std::string> DirEntries(const std::filesystem::path& dir)
{
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}
