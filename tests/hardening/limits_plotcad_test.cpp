// plotcad at the limits of its inputs: the curve data file, the options
// file, the answers and the job name.

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "plotcad/tests/expect.hpp"
#include "tests/hardening/jobs.hpp"

namespace {

using namespace hardening;
using harness::error_block;

// The text of a job.def that exists and is empty.
const std::string empty_file = "(empty)";

struct Plot {
  const char* name;
  std::string kvd;
  std::string def;  // job.def; none when empty, an empty file for empty_file
  std::string answers;
  std::string out;  // standard output, whole
  std::string err;
};

// Runs plotcad on job and checks both streams and the status; returns the
// directory for a look at the files.
harness::Scratch expect_plot(const Plot& p) {
  SCOPED_TRACE(p.name);
  const auto dir = scratch(p.name);
  dir.write("job.kvd", p.kvd);
  if (!p.def.empty()) dir.write("job.def", p.def == empty_file ? "" : p.def);
  const auto run = harness::run(dir, "plotcad", {"job"}, p.answers);
  EXPECT_EQ(run.status, p.err.empty() ? 0 : 1);
  EXPECT_EQ(run.out, p.out);
  EXPECT_EQ(run.err, p.err);
  return dir;
}

const std::string scan = harness::banner("plotcad") + "\nJob name = job\n\nScanning file: job.kvd\n\n";
const std::string count_context = "\nReading number of points\n";
std::string point_context(int j) { return "\nReading point n.        " + std::to_string(j) + "\n"; }

std::string words(int n) {
  std::string line = "0";
  for (int k = 1; k < n; ++k) line += " 0";
  return line;
}

// A first line of the given text, a blank line to the length wanted.
std::string padded(const std::string& text, std::size_t length) {
  return text + std::string(length - text.size(), ' ');
}

TEST(PlotcadLimits, CurveDataLinesAndWords) {
  const std::string too_long = error_block("Line too long");
  for (const Plot& p : std::vector<Plot>{
           // 979 characters and the line feed are the longest line of words.
           {"980", padded("2", 980) + "\n0 0\n", "", "", scan, too_long},
           {"998", padded("2", 998) + "\n", "", "", scan, too_long},
           {"999", padded("2", 999) + "\n", "", "", scan, too_long},
           {"100000", padded("2", 100000) + "\n", "", "", scan, too_long},
           {"100_words", words(100) + "\n", "", "", scan,
            count_context + error_block("Invalid number of words in the line")},
           {"101_words", words(101) + "\n", "", "", scan, error_block("Too many words in a single line")},
           {"100_words_point", "0 0\n" + words(100) + "\n", "", "", scan,
            point_context(2) + error_block("Invalid number of words in the line")},
       })
    expect_plot(p);

  // 979 characters pass: the count line, then its points.
  const auto dir = scratch("979");
  dir.write("job.kvd", padded("2", 979) + "\n0 0\n10 100\n");
  const Job job = plotcad_job();
  const auto run = harness::run(dir, "plotcad", {"job"}, job.answers);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, job.out);
  EXPECT_EQ(dir.read("job.dxf"), job.outputs.at("job.dxf"));
}

TEST(PlotcadLimits, CurveDataNumbers) {
  for (const Plot& p : std::vector<Plot>{
           {"count_largest", "2147483647\n0 0\n", "", "", scan + "       1 - number of points = 2147483647\n",
            error_block("Unexpected end of file")},
           {"count_beyond", "2147483648\n0 0\n", "", "", scan, count_context + error_block("Number out of range")},
           {"count_lowest", "-2147483648\n0 0\n", "", "", scan + "       1 - number of points = -2147483648\n",
            error_block("N. of points must be greater than 0")},
           {"count_below", "-2147483649\n", "", "", scan, count_context + error_block("Number out of range")},
           {"four_exponent_digits", "0 1e0300\n", "", "", scan, point_context(1) + error_block("Syntax error")},
           {"beyond_a_double", "0 0\n1 1.8e308\n", "", "", scan, point_context(2) + error_block("Number out of range")},
           {"byte_above_127", "2\n0 0\n10 1\xb9\n", "", "", scan + "       1 - number of points =        2\n",
            point_context(2) + error_block("Syntax error")},
       })
    expect_plot(p);
}

// Three-digit exponents at both ends of the range of a double draw: the
// window and the intervals of the first run are those of the data.
TEST(PlotcadLimits, CurveDataWithThreeDigitExponentsDraws) {
  const Job job = plotcad_job();
  struct Extreme {
    std::string name, kvd, window;  // the window lines of the options file
  };
  for (const auto& [name, kvd, window] : std::vector<Extreme>{
           {"large", "0 -1e300\n1e300 1e300\n",
            "              0            1e+300\n#         rywmi             rywma\n"
            "        -1e+300            1e+300\n"},
           {"small", "0 -1e-300\n1e-300 1e-300\n",
            "              0            1e-300\n#         rywmi             rywma\n"
            "        -1e-300            1e-300\n"},
       }) {
    SCOPED_TRACE(name);
    const auto dir = scratch(name);
    dir.write("job.kvd", kvd);
    const auto run = harness::run(dir, "plotcad", {"job"}, job.answers);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, plotcad_head("job", 2, false) + writing("job.def") + writing("job.dxf") + grid_question +
                           "You answered: 10.8\n" + title_question + "You answered: 14.4\n" + plotcad_success);
    EXPECT_NE(dir.read("job.def").find("#         rxwmi             rxwma\n" + window), std::string::npos);
  }
}

TEST(PlotcadLimits, ShortCurveDataFiles) {
  const std::string zero = scan + "\nNumber of curves =        0\n\nMaximum number of points per curve =        0\n";
  for (const Plot& p : std::vector<Plot>{
           {"empty", "", "", "", zero, error_block("Zero curves")},
           {"line_feed", "\n", "", "", zero, error_block("Zero curves")},
           {"comment_above_127", "# \xe9t\xe9 \xff\n", "", "", zero, error_block("Zero curves")},
       })
    expect_plot(p);

  // The last line needs no line end: the words of a line are all it gives.
  const Job job = plotcad_job();
  const auto dir = expect_plot({"no_line_end", "2\n0 0\n10 100", "", job.answers, job.out, ""});
  EXPECT_EQ(dir.read("job.dxf"), job.outputs.at("job.dxf"));
}

const std::string kvd = "2\n0 0\n10 100\n";
const std::string def_rest = "832 720\n0 10\n0 100\n2 20\n1 1\n1 0\n1 0\n1 0\nEND_OF_FILE\n";
const std::string read_def = plotcad_head("job", 2) + reading("job.def");

TEST(PlotcadLimits, OptionsFileLinesAndWords) {
  const std::string t998(998, 't');
  for (const Plot& p : std::vector<Plot>{
           {"title_998", kvd, t998 + "\nfont\n" + def_rest, "", read_def,
            error_block("Title has more than 80 characters")},
           {"title_999", kvd, t998 + "t\nfont\n" + def_rest, "", read_def,
            error_block("elimnl: internal error 2 (LF expected)")},
           {"title_100000", kvd, std::string(100000, 't') + "\nfont\n" + def_rest, "", read_def,
            error_block("elimnl: internal error 2 (LF expected)")},
           {"word_line_998", kvd, "T\nfont\n" + padded("832 720", 998) + "\n", "", read_def + "\nT\n",
            error_block("Line too long")},
           {"100_words", kvd, "T\nfont\n" + words(100) + "\n", "", read_def + "\nT\n",
            error_block("Invalid number of words in the line")},
           {"101_words", kvd, "T\nfont\n" + words(101) + "\n", "", read_def + "\nT\n",
            error_block("Too many words in a single line")},
       })
    expect_plot(p);
}

TEST(PlotcadLimits, OptionsFileNumbers) {
  const std::string head = "T\nfont\n";
  const std::string curve = "\nReading licol\nCurve n.        1\n";
  for (const Plot& p : std::vector<Plot>{
           {"window_not_multiple", kvd, head + "2147483647 720\n" + def_rest.substr(8), "", read_def + "\nT\n",
            error_block("ixwma and iywma must be multiples of 8")},
           {"window_beyond", kvd, head + "2147483648 720\n" + def_rest.substr(8), "", read_def + "\nT\n",
            error_block("Number out of range - ixwma")},
           {"curve_number_beyond", kvd, head + "832 720\n0 10\n0 100\n2 20\n4294967297 1\n", "", read_def + "\nT\n",
            curve + error_block("Wrong curve number")},
           {"four_exponent_digits", kvd, head + "832 720\n0 1e0010\n", "", read_def + "\nT\n",
            error_block("Invalid real number")},
       })
    expect_plot(p);

  // The largest multiples of 8 in 32 bits are a window like any other.
  const Job job = plotcad_job();
  const auto dir = expect_plot({"window_largest", kvd, head + "2147483640 -2147483648\n" + def_rest.substr(8), "\n\n",
                                read_def + "\nT\n" + writing("job.dxf") +
                                    "\nText height of the axes' labels [-32212254.72] ? You answered: -32212254.72\n"
                                    "\nText height of the title [-42949672.96] ? You answered: -42949672.96\n" +
                                    plotcad_success,
                                ""});
  EXPECT_TRUE(dir.read("job.dxf").starts_with(expect::opening + expect::border(2147483640, -2147483648.0)));
}

TEST(PlotcadLimits, ShortOptionsFilesNulBytesAndBytesAbove127) {
  using namespace std::string_literals;
  for (const Plot& p : std::vector<Plot>{
           {"line_feed", kvd, "\n", "", read_def, error_block("Unexpected end of file")},
           {"empty", kvd, empty_file, "", read_def, error_block("Unexpected end of file")},
           {"only_comments", kvd, "# options\n\n   \n", "", read_def, error_block("Unexpected end of file")},
           {"nul", kvd, "T\nfo\0nt\n"s + def_rest, "", read_def + "\nT\n", error_block("NUL byte in the line", 2)},
       })
    expect_plot(p);

  // A title of bytes above 127 is taken and drawn as it is.
  const std::string title = "T\xe9t\xe9 \xff";
  const auto dir = expect_plot({"title_above_127", kvd, title + "\nfont\n" + def_rest, "\n\n",
                                read_def + "\n" + title + "\n" + writing("job.dxf") + grid_question +
                                    "You answered: 10.8\n" + title_question + "You answered: 14.4\n" + plotcad_success,
                                ""});
  EXPECT_TRUE(dir.read("job.dxf").ends_with("  1\n" + title + "\n  0\n" + expect::closing));
}

// Answers: a height with a three-digit exponent is drawn, one with four is
// asked again; carriage returns end answers; a NUL byte ends the text of an
// answer.
TEST(PlotcadLimits, Answers) {
  using namespace std::string_literals;
  const Job job = plotcad_job();
  const std::string to_grid = plotcad_head("job", 2) + writing("job.def") + writing("job.dxf") + grid_question;
  const std::string title_default = title_question + "You answered: 14.4\n" + plotcad_success;
  for (const Plot& p : std::vector<Plot>{
           {"four_exponent_digits", kvd, "", "1e1000\n\n\n",
            to_grid + "You answered: 1e1000\n\nERROR: repeat answer ...\n" + grid_question + "You answered: 10.8\n" +
                title_default,
            ""},
           {"carriage_returns", kvd, "", "\r\r", job.out, ""},
           {"nul", kvd, "", "\0 12\n\n"s, to_grid + "You answered: 10.8\n" + title_default, ""},
       }) {
    const auto dir = expect_plot(p);
    EXPECT_EQ(dir.read("job.dxf"), job.outputs.at("job.dxf"));
  }

  const auto dir = expect_plot(
      {"three_exponent_digits", kvd, "", "1e300\n\n", to_grid + "You answered: 1e300\n" + title_default, ""});
  EXPECT_NE(dir.read("job.dxf").find(" 40\n" + expect::fix(1e300) + "  1\n0\n"), std::string::npos);
}

TEST(PlotcadLimits, JobNamesOf79And300Characters) {
  const std::string long_name(300, 'j');
  const auto dir = scratch("names");
  const auto argument = harness::run(dir, "plotcad", {long_name});
  EXPECT_EQ(argument.status, 1);
  EXPECT_EQ(argument.out, harness::banner("plotcad") + "\nJob name = " + long_name + "\n");
  EXPECT_EQ(argument.err, error_block("File name too long - jobname.kvd"));

  // Typed, the name is cut to 79 characters, the rest of its line dropped.
  const std::string kept = long_name.substr(0, 79);
  dir.write(kept + ".kvd", kvd);
  const Job job = plotcad_job();
  for (const std::size_t length : {80, 300}) {
    std::filesystem::remove(dir.path(kept + ".def"));  // a first run each time
    const auto typed = harness::run(dir, "plotcad", {}, long_name.substr(0, length) + "\n\n\n");
    EXPECT_EQ(typed.status, 0);
    EXPECT_EQ(typed.err, "");
    std::string out = job.out;
    const std::string asked = harness::banner("plotcad") + "\nJob name ? You answered: " + kept + "\n";
    out.replace(0, harness::banner("plotcad").size(), asked);
    for (std::size_t at; (at = out.find("job.")) != std::string::npos;) out.replace(at, 3, kept);
    out.replace(out.find("= job\n"), 6, "= " + kept + "\n");
    EXPECT_EQ(typed.out, out);
  }
}

}  // namespace
