// The --list-params table against the golden file that pins the parameter set's identity.

#include "engine/param_ids.h"
#include "plugin/vantrix.h"
#include "render/param_assignment.h"
#include "render/param_listing.h"

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <sstream>

namespace
{
std::vector<std::string> Lines(const std::string& text)
{
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);)
    lines.push_back(line);
  return lines;
}

std::vector<std::string> Columns(const std::string& line)
{
  std::vector<std::string> columns;
  std::size_t start = 0;
  for (std::size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
    columns.push_back(line.substr(start, tab - start));
  columns.push_back(line.substr(start));
  return columns;
}

std::string Listing(const IPlugProcessor& plug)
{
  std::ostringstream out;
  WriteParamList(plug, out);
  return out.str();
}

TEST(ParamListing, MatchesGoldenFileLineByLine)
{
  std::ifstream golden(VANTRIX_GOLDEN_DIR "/list_params.tsv", std::ios::binary);
  ASSERT_TRUE(golden) << "missing " VANTRIX_GOLDEN_DIR "/list_params.tsv";
  std::stringstream expected;
  expected << golden.rdbuf();

  const auto plug = std::make_unique<Vantrix>();
  const std::vector<std::string> want = Lines(expected.str());
  const std::vector<std::string> got = Lines(Listing(*plug));
  ASSERT_EQ(got.size(), want.size());
  for (std::size_t i = 0; i < want.size(); ++i)
    EXPECT_EQ(got[i], want[i]) << "parameter " << i;
}

TEST(ParamListing, ElevenColumnsAndCurrentValueAfterAssignment)
{
  const auto plug = std::make_unique<Vantrix>();
  ApplyAssignment(*plug, ParseAssignment("Polyphony=4", "--set"));
  ApplyAssignment(*plug, ParseAssignment("FX Mix=45", "--set"));
  const std::vector<std::string> lines = Lines(Listing(*plug));
  ASSERT_EQ(lines.size(), 94u);
  for (const std::string& line : lines)
    EXPECT_EQ(Columns(line).size(), 11u) << line;
  EXPECT_EQ(Columns(lines[kPolyphony])[9], "4  ");
  EXPECT_EQ(Columns(lines[kPolyphony])[6], "8  "); // the default's text is unchanged
  EXPECT_EQ(Columns(lines[kFxMix])[9], "45");
  EXPECT_EQ(Columns(lines[kFxMix])[10], ""); // numbers have no texts
}
} // namespace
