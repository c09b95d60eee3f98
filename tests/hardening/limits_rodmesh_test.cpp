// rodmesh at the limits of its inputs: the mesh file, the element values
// file and the answers.

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "rodmesh/tests/expected.hpp"
#include "tests/hardening/jobs.hpp"

namespace {

namespace rt = rodmesh_test;
using harness::error_block;
using hardening::beam_dialogue;
using hardening::beam_mesh;
using hardening::beam_solid;
using hardening::scratch;

// The text of a beam_A.eva that exists and is empty.
const std::string empty_file = "(empty)";

// A run of the beam job with the mesh file and the answers given.
struct Bars {
  const char* name;
  std::string mesh;     // beam.zmf
  std::string answers;  // standard input
  std::string out;      // standard output after the banner
  std::string err;
  std::string solid;  // beam_th.zmf; empty when none is written
  std::string values = "";  // beam_A.eva, when not empty; empty_file for an empty one
};

void expect_run(const Bars& r) {
  SCOPED_TRACE(r.name);
  const auto dir = scratch(r.name);
  dir.write("beam.zmf", r.mesh);
  if (!r.values.empty()) dir.write("beam_A.eva", r.values == empty_file ? "" : r.values);
  const auto run = harness::run(dir, "rodmesh", {"beam"}, r.answers);
  EXPECT_EQ(run.status, r.err.empty() ? 0 : 1);
  EXPECT_EQ(run.out, harness::banner("rodmesh") + r.out);
  EXPECT_EQ(run.err, r.err);
  EXPECT_EQ(dir.exists("beam_th.zmf"), !r.solid.empty());
  if (!r.solid.empty()) {
    EXPECT_EQ(dir.read("beam_th.zmf"), r.solid);
  }
}

const std::string answers = "p\nb\n0\n1\n0.5\n";
const std::string read_mesh = rt::reading("beam.zmf");
const std::string done = rt::writing("beam_th.zmf") + rt::success();

std::string read_beam(const std::string& header = "Beam", const std::string& drawing = "B") {
  return read_mesh + rt::titles(header, drawing) + rt::counts(1, 2, 0);
}

std::string at(const char* where, int i) { return rt::format("\nReading %s n. %8d\n", where, i); }

// Counts that the file cannot hold are read until the records run out, as
// any short file is: no array of their size is ever reserved, so the answer
// comes at once and the same on every machine.
TEST(RodmeshLimits, CountsAtTheEdgeOf32Bits) {
  const std::string eof = error_block("Unexpected end of file");
  for (const Bars& r : std::vector<Bars>{
           {"nodes", "H\nD\n0 2147483647 0\n", answers,
            beam_dialogue() + read_mesh + rt::titles("H", "D") + rt::counts(0, 2147483647, 0), at("node", 1) + eof,
            ""},
           {"special_nodes", "H\nD\n0 0 2147483647\n", answers,
            beam_dialogue() + read_mesh + rt::titles("H", "D") + rt::counts(0, 0, 2147483647),
            at("special node", 1) + eof, ""},
           // The most bars whose 20 nodes each still number in 32 bits.
           {"elements", "H\nD\n107374182 2 0\n1 2 1 2\n", answers,
            beam_dialogue() + read_mesh + rt::titles("H", "D") + rt::counts(107374182, 2, 0), at("element", 2) + eof,
            ""},
           {"too_many_elements", "H\nD\n2147483647 0 0\n", answers,
            beam_dialogue() + read_mesh + rt::titles("H", "D"),
            error_block("Too many elements for the numbering of the solid mesh"), ""},
           {"node_number", "H\nD\n1 2 0\n1 2 1 2147483647\n", answers,
            beam_dialogue() + read_mesh + rt::titles("H", "D") + rt::counts(1, 2, 0),
            at("element", 1) + error_block("Element node out of range"), ""},
       })
    expect_run(r);
}

// A choice beyond 32 bits is refused by the question itself, never wrapped
// to one of the menu's; one within 32 bits but off the menu shows the menu
// again.
TEST(RodmeshLimits, AnswersAtTheEdgeOf32Bits) {
  expect_run({"choice", beam_mesh, "p\nb\n4294967296\n2147483647\n-2147483648\n0\n1\n0.5\n",
              rt::job_line("beam") + rt::mesh_type("p") + rt::form("b") + rt::menu("4294967296") + rt::repeat() +
                  rt::number("Your choice", "0", "2147483647") + rt::repeat() + rt::menu("-2147483648") +
                  rt::repeat() + rt::menu("0") +
                  rt::width("1") + rt::height("0.5") + read_beam() + done,
              "", beam_solid()});
}

// Numbers with three- and four-digit exponents: the record reader takes any
// exponent, as the standard formatted reading does; only what overflows a
// double, or makes the solid's coordinates overflow, is refused.
TEST(RodmeshLimits, NumbersWithLongExponents) {
  const std::string bar = "Beam\nB\n1 2 0\n1 2 1 2\n1 0 0 0\n";
  for (const Bars& r : std::vector<Bars>{
           {"four_digits", bar + "2 2e0000 0e-0000 0\n", answers, beam_dialogue() + read_beam() + done, "",
            beam_solid()},
           {"overflow", bar + "2 2e1000 0 0\n", answers, beam_dialogue() + read_beam(),
            at("node", 2) + error_block("Real number out of range"), ""},
           // Its length squared is beyond the range of a double.
           {"huge_bar", bar + "2 1e300 0 0\n", answers, beam_dialogue() + read_beam(),
            "\nBuilding bar n.        1\n" + error_block("Coordinates of the solid out of range"), ""},
           // Its length squared underflows to zero.
           {"tiny_bar", bar + "2 1e-300 0 0\n", answers, beam_dialogue() + read_beam(),
            "\nBuilding bar n.        1\n" + error_block("Bar of zero length (its end nodes coincide)"), ""},
       })
    expect_run(r);
}

TEST(RodmeshLimits, ElementValuesAtTheLimits) {
  const std::string areas = "p\nb\n1\nA\n1\n";
  const std::string head =
      rt::job_line("beam") + rt::mesh_type("p") + rt::form("b") + rt::menu("1") + rt::extension("A") + rt::factor("1");
  const std::string read_values = read_beam() + rt::reading("beam_A.eva");
  // An area of 4 is a square of side 2, around the beam of length 2.
  const std::string square = "Beam\nB\n" + rt::count_line(1, 20, 0) + rt::brick_line(1) + hardening::beam_nodes(1, 1);
  std::string words = "1 4";
  for (int k = 0; k < 99; ++k) words += " w";
  for (const Bars& r : std::vector<Bars>{
           {"101_words", beam_mesh, areas, head + read_values + done, "", square, words + "\n"},
           {"long_remark", beam_mesh, areas, head + read_values + done, "", square,
            "1 4 " + std::string(100000, 'r') + "\n"},
           {"element_number", beam_mesh, areas, head + read_values, error_block("Wrong element number", 1), "",
            "4294967297 4\n"},
           {"huge_area", beam_mesh, "p\nb\n1\nA\n10\n",
            rt::job_line("beam") + rt::mesh_type("p") + rt::form("b") + rt::menu("1") + rt::extension("A") +
                rt::factor("10") + read_values,
            "\nBuilding bar n.        1\n" + error_block("Coordinates of the solid out of range"), "", "1 1e308\n"},
           {"empty", beam_mesh, areas, head + read_values, error_block("Unexpected end of file", 1), "", empty_file},
           {"line_feed_only", beam_mesh, areas, head + read_values, error_block("Unexpected end of file", 1), "",
            "\n"},
           {"no_line_end", beam_mesh, areas, head + read_values + done, "", square, "1 4"},
           // The rest of the first line runs to the end of the file.
           {"carriage_returns", beam_mesh + "", "p\nb\n1\nA\n1\n",
            rt::job_line("beam") + rt::mesh_type("p") + rt::form("b") + rt::menu("1") + rt::extension("A") +
                rt::factor("1") + read_beam() + rt::reading("beam_A.eva"),
            error_block("Unexpected end of file", 2), "", "1 4\r2 4\r"},
           {"nul", beam_mesh, areas, head + read_values, error_block("Unexpected end of file", 1), "",
            std::string("1 4\0\n", 5)},
       }) {
    Bars two_bars = r;
    if (std::string(r.name) == "carriage_returns") {
      // Two bars, so that a second value is due.
      two_bars.mesh = "Beam\nB\n2 3 0\n1 2 1 2\n2 2 2 3\n1 0 0 0\n2 2 0 0\n3 4 0 0\n";
      two_bars.out = rt::job_line("beam") + rt::mesh_type("p") + rt::form("b") + rt::menu("1") + rt::extension("A") +
                     rt::factor("1") + read_mesh + rt::titles("Beam", "B") + rt::counts(2, 3, 0) +
                     rt::reading("beam_A.eva");
    }
    expect_run(two_bars);
  }
}

TEST(RodmeshLimits, LongLinesInTheMeshFile) {
  const std::string h998(998, 'h');
  const std::string tail = "B\n1 2 0\n1 2 1 2\n1 0 0 0\n2 2 0 0\n";
  const std::string spaced = "Beam\nB\n1 2 0\n1 2 1 2\n1" + std::string(100000, ' ') + "0 0 0\n2 2 0 0\n";
  for (const Bars& r : std::vector<Bars>{
           // The header keeps its first 60 characters.
           {"header_998", h998 + "\n" + tail, answers, beam_dialogue() + read_beam(h998.substr(0, 60)) + done, "",
            h998.substr(0, 60) + beam_solid().substr(4)},
           {"header_999", h998 + "h\n" + tail, answers, beam_dialogue() + read_mesh,
            error_block("elimnl: internal error 2 (LF expected)"), ""},
           {"header_100000", std::string(100000, 'h') + "\n" + tail, answers, beam_dialogue() + read_mesh,
            error_block("elimnl: internal error 2 (LF expected)"), ""},
           // Blanks between the numbers of a record, however many.
           {"blanks", spaced, answers, beam_dialogue() + read_beam() + done, "", beam_solid()},
           // No number is that long: the word is refused, not kept whole.
           {"long_number", "Beam\nB\n1 2 0\n1 2 1 " + std::string(100000, '0') + "2\n", answers,
            beam_dialogue() + read_beam(), at("element", 1) + error_block("Integer expected"), ""},
       })
    expect_run(r);
}

TEST(RodmeshLimits, ShortFilesNulBytesAndBytesAbove127) {
  using namespace std::string_literals;
  const std::string records = "1 2 0\n1 2 1 2\n1 0 0 0\n2 2 0 0";
  const std::string solid_of = rt::count_line(1, 20, 0) + rt::brick_line(1) + hardening::beam_nodes(0.5, 0.25);
  for (const Bars& r : std::vector<Bars>{
           {"line_feed", "\n", answers, beam_dialogue() + read_mesh,
            "\nReading the count line\n" + error_block("Unexpected end of file"), ""},
           // The last number ends at the end of the file.
           {"no_line_end", "Beam\nB\n" + records, answers, beam_dialogue() + read_beam() + done, "", beam_solid()},
           // A title is a text: a NUL byte ends it. At its start it leaves an
           // empty title; anywhere else the line end is lost behind it.
           {"nul_first", "\0Beam\nB\n"s + records, answers, beam_dialogue() + read_beam("") + done, "",
            "\nB\n" + solid_of},
           {"nul_inside", "Be\0am\nB\n"s + records, answers, beam_dialogue() + read_mesh,
            error_block("elimnl: internal error 2 (LF expected)"), ""},
           {"bytes_above_127", "T\xe9te \xff\nD\xc3\xa9\n" + records, answers,
            beam_dialogue() + read_beam("T\xe9te \xff", "D\xc3\xa9") + done, "",
            "T\xe9te \xff\nD\xc3\xa9\n" + solid_of},
       })
    expect_run(r);
}

// Answers of the dialogue: carriage returns end them as line feeds do, a
// NUL byte ends the text of an answer, bytes above 127 make no number, and a
// line longer than 79 characters is cut.
TEST(RodmeshLimits, AnswersWithOddLineEndsAndBytes) {
  using namespace std::string_literals;
  const std::string to_menu = rt::job_line("beam") + rt::mesh_type("p") + rt::form("b") + rt::menu("0");
  const std::string ext(300, 'e');
  for (const Bars& r : std::vector<Bars>{
           {"carriage_returns", beam_mesh, "p\rb\r0\r1\r0.5\r", beam_dialogue() + read_beam() + done, "",
            beam_solid()},
           {"nul", beam_mesh, "p\nb\n0\n1\0 9\n0.5\n"s, beam_dialogue() + read_beam() + done, "", beam_solid()},
           {"bytes_above_127", beam_mesh, "p\nb\n0\n\xb9\n1\n0.5\n",
            to_menu + rt::width("\xb9") + rt::repeat() + rt::width("1") + rt::height("0.5") + read_beam() + done, "",
            beam_solid()},
           {"long_extension", beam_mesh, "p\nb\n1\n" + ext + "\n1\n",
            rt::job_line("beam") + rt::mesh_type("p") + rt::form("b") + rt::menu("1") +
                rt::extension(ext.substr(0, 79)) + rt::factor("1"),
            error_block("File name too long - jobname_" + ext.substr(0, 79) + ".eva"), ""},
       })
    expect_run(r);
}

TEST(RodmeshLimits, JobNamesOf79And300Characters) {
  const auto dir = scratch("names");
  for (const std::string& job : {std::string(79, 'j'), std::string(300, 'j')}) {
    const auto run = harness::run(dir, "rodmesh", {job}, answers);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, harness::banner("rodmesh") + rt::job_line(job));
    EXPECT_EQ(run.err, error_block(job.size() == 79 ? "File name too long - jobname_th.zmf"
                                                    : "File name too long - jobname.zmf"));
  }
  // Typed, a name is cut to 79 characters with the rest of its line.
  const std::string typed(300, 'j');
  const std::string kept = typed.substr(0, 79);
  const auto run = harness::run(dir, "rodmesh", {}, typed + "\n" + answers);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, harness::banner("rodmesh") + "\nJob name ? You answered: " + kept + "\n" + rt::job_line(kept));
  EXPECT_EQ(run.err, error_block("File name too long - jobname_th.zmf"));
  EXPECT_TRUE(dir.files().empty());
}

}  // namespace
