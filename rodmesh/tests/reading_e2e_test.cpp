// Faults in the mesh file and the element values file, each stopped with its
// locating line and ERROR block, and never with an output file.

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "rodmesh/tests/expected.hpp"
#include "tests/harness/e2e.hpp"

namespace {

using namespace rodmesh_test;

const std::string answers = "p\nb\n0\n\n\n";
const std::string dialogue = job_line("m") + mesh_type("p") + form("b") + menu("0") + width("1") + height("1");

struct Fault {
  const char* name;
  std::string mesh;
  std::string out;  // what follows the dialogue on standard output
  std::string err;
};

std::string at(const char* where, int i) { return format("\nReading %s n. %8d\n", where, i); }

// Runs rodmesh on the mesh and checks both streams, the status and that no
// solid mesh was written.
void expect_fault(const Fault& fault) {
  SCOPED_TRACE(fault.name);
  harness::Scratch dir(fault.name);
  dir.write("m.zmf", fault.mesh);
  const auto run = harness::run(dir, "rodmesh", {"m"}, answers);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, harness::banner("rodmesh") + dialogue + reading("m.zmf") + fault.out);
  EXPECT_EQ(run.err, fault.err);
  EXPECT_EQ(dir.files(), (std::vector<std::string>{"m.zmf"}));
}

const std::string head = "H\nD\n";
const std::string head_out = titles("H", "D");

TEST(RodmeshReading, RecordsOutOfSequenceOrRange) {
  const std::string nodes3 = "1 0 0 0\n2 1 0 0\n3 2 0 0\n";
  const std::vector<Fault> faults = {
      {"element_numbers", head + "3 3 0\n1 2 1 2\n2 2 2 3\n4 2 1 3\n" + nodes3, head_out + counts(3, 3, 0),
       at("element", 3) + harness::error_block("Wrong element number")},
      {"no_nodes", head + "1 3 0\n1 0\n" + nodes3, head_out + counts(1, 3, 0),
       at("element", 1) + harness::error_block("N. of nodes of an element is less than 1")},
      {"negative_node_count", head + "1 3 0\n1 -2 1 2\n" + nodes3, head_out + counts(1, 3, 0),
       at("element", 1) + harness::error_block("N. of nodes of an element is less than 1")},
      {"21_nodes", head + "1 3 0\n1 21 1 2 3\n" + nodes3, head_out + counts(1, 3, 0),
       at("element", 1) + "Maximum n. of nodes per element =       20\n" +
           harness::error_block("Too many nodes in the element")},
      {"node_zero", head + "1 3 0\n1 2 0 1\n" + nodes3, head_out + counts(1, 3, 0),
       at("element", 1) + harness::error_block("Element node out of range")},
      {"node_above", head + "2 3 0\n1 2 1 2\n2 2 3 4\n" + nodes3, head_out + counts(2, 3, 0),
       at("element", 2) + harness::error_block("Element node out of range")},
      {"node_beyond_32_bits", head + "1 3 0\n1 2 4294967297 1\n" + nodes3, head_out + counts(1, 3, 0),
       at("element", 1) + harness::error_block("Element node out of range")},
      {"node_numbers", head + "1 3 0\n1 2 1 2\n1 0 0 0\n3 1 0 0\n", head_out + counts(1, 3, 0),
       at("node", 2) + harness::error_block("Wrong node number")},
      {"special_numbers", head + "1 3 2\n1 2 1 2\n" + nodes3 + "1 1\n1 2\n", head_out + counts(1, 3, 2),
       at("special node", 2) + harness::error_block("Wrong special node number")},
      {"special_above", head + "1 3 1\n1 2 1 2\n" + nodes3 + "1 4\n", head_out + counts(1, 3, 1),
       at("special node", 1) + harness::error_block("Special node number out of range")},
      {"one_node", head + "2 3 0\n1 3 1 2 3\n2 1 3\n" + nodes3, head_out + counts(2, 3, 0),
       warning("Number of nodes per element should be 2 in all elements") +
           harness::error_block("Number of nodes of an element is less than 2")},
  };
  for (const Fault& fault : faults) expect_fault(fault);
}

TEST(RodmeshReading, WordsThatAreNotNumbersAndTheEndOfTheFile) {
  const std::string zero_byte = std::string("1 2 0\n1 2 1 2\n1 0 0 0\n2 0\0 0 1\n", 32);
  const std::vector<Fault> faults = {
      {"word_for_node", head + "1 2 0\n1 2 1 two\n", head_out + counts(1, 2, 0),
       at("element", 1) + harness::error_block("Integer expected")},
      {"real_for_number", head + "1 2 0\n1.0 2 1 2\n", head_out + counts(1, 2, 0),
       at("element", 1) + harness::error_block("Integer expected")},
      {"word_for_coordinate", head + "1 2 0\n1 2 1 2\n1 0 0 0\n2 0 zero 0\n", head_out + counts(1, 2, 0),
       at("node", 2) + harness::error_block("Real number expected")},
      {"infinite_coordinate", head + "1 2 0\n1 2 1 2\n1 0 0 0\n2 1e999 0 0\n", head_out + counts(1, 2, 0),
       at("node", 2) + harness::error_block("Real number out of range")},
      {"nan_coordinate", head + "1 2 0\n1 2 1 2\n1 0 0 nan\n", head_out + counts(1, 2, 0),
       at("node", 1) + harness::error_block("Real number expected")},
      {"end_in_elements", head + "2 2 0\n1 2 1 2\n2 2 1", head_out + counts(2, 2, 0),
       at("element", 2) + harness::error_block("Unexpected end of file")},
      {"end_in_nodes", head + "1 2 0\n1 2 1 2\n1 0 0 0\n2 0 0\n", head_out + counts(1, 2, 0),
       at("node", 2) + harness::error_block("Unexpected end of file")},
      {"end_in_special", head + "1 2 1\n1 2 1 2\n1 0 0 0\n2 0 0 1\n1\n", head_out + counts(1, 2, 1),
       at("special node", 1) + harness::error_block("Unexpected end of file")},
      {"zero_byte", head + zero_byte, head_out + counts(1, 2, 0),
       at("node", 2) + harness::error_block("Real number expected")},
  };
  for (const Fault& fault : faults) expect_fault(fault);
}

TEST(RodmeshReading, TheTitlesAndTheCountLine) {
  const std::string counts_at = "\nReading the count line\n";
  const std::vector<Fault> faults = {
      {"empty_file", "", "", counts_at + harness::error_block("Unexpected end of file")},
      {"only_titles", "H\nD\n", "", counts_at + harness::error_block("Unexpected end of file")},
      {"two_counts", "H\nD\n1 2\n", "", counts_at + harness::error_block("Unexpected end of file")},
      {"word_count", "H\nD\n1 two 0\n", "", counts_at + harness::error_block("Integer expected")},
      {"negative_count", "H\nD\n1 -2 0\n", "", counts_at + harness::error_block("Negative count in the count line")},
      {"count_beyond_32_bits", "H\nD\n0 0 2147483648\n", "", counts_at + harness::error_block("Count out of range")},
      {"too_many_bars", "H\nD\n107374183 0 0\n", head_out,
       harness::error_block("Too many elements for the numbering of the solid mesh")},
      {"header_without_line_feed", "Header only", "", harness::error_block("elimnl: internal error 2 (LF expected)")},
      {"carriage_return_only", "H\rD\r1 2 0\r", "", harness::error_block("elimnl: internal error 1 (CR in the string)")},
  };
  for (const Fault& fault : faults) expect_fault(fault);
}

TEST(RodmeshReading, ElementValueFaults) {
  const std::string mesh = "H\nD\n3 4 0\n1 2 1 2\n2 2 2 3\n3 2 3 4\n1 0 0 0\n2 1 0 0\n3 1 1 0\n4 1 1 1\n";
  struct EvaFault {
    const char* name;
    std::string values;
    std::string err;
  };
  const std::vector<EvaFault> faults = {
      {"short", "1 1.0\n2 1.0\n", harness::error_block("Unexpected end of file", 3)},
      {"wrong_number", "1 1.0\n3 1.0\n2 1.0\n", harness::error_block("Wrong element number", 2)},
      // The value is the next number, on whatever line: here the 3 of the
      // next line, whose rest is skipped, so the third value is missing.
      {"missing_value", "1 1.0\n2\n3 1.0\n", harness::error_block("Unexpected end of file", 3)},
      {"word_value", "1 1.0\n2 one\n3 1.0\n", harness::error_block("Unexpected end of file", 2)},
      {"word_number", "one 1.0\n", harness::error_block("Unexpected end of file", 1)},
      {"infinite_value", "1 1.0\n2 1.0\n3 -1e400\n", harness::error_block("Value out of range", 3)},
      {"negative_area", "1 1.0\n2 -1.0\n3 1.0\n", harness::error_block("Negative area in the .eva file")},
  };
  for (const EvaFault& fault : faults) {
    SCOPED_TRACE(fault.name);
    harness::Scratch dir(std::string("eva_") + fault.name);
    dir.write("m.zmf", mesh);
    dir.write("m_a.eva", fault.values);
    const auto run = harness::run(dir, "rodmesh", {"m"}, "c\nf\n1\na\n\n");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, harness::banner("rodmesh") + job_line("m") + mesh_type("c") + form("f") + menu("1") +
                           extension("a") + factor("1") + reading("m.zmf") + titles("H", "D") + counts(3, 4, 0) +
                           reading("m_a.eva"));
    EXPECT_EQ(run.err, fault.err);
    EXPECT_EQ(dir.files(), (std::vector<std::string>{"m.zmf", "m_a.eva"}));
  }
}

// Blank lines, remarks, a last line without line feed, CR LF line ends and
// lines after the last element are all read soundly.
TEST(RodmeshReading, ElementValuesLaidOutFreely) {
  const std::string mesh = "H\nD\n3 4 0\n1 2 1 2\n2 2 2 3\n3 2 3 4\n1 0 0 0\n2 1 0 0\n3 1 1 0\n4 1 1 1\n";
  for (const std::string values : {"1 4\n2 4\n3 4", "\n\n1 4 remark 7\r\n  \n2   4.0\t# 5\r\n3 +4e0\n4 x\nmore\n"}) {
    harness::Scratch dir("free_values");
    dir.write("m.zmf", mesh);
    dir.write("m_a.eva", values);
    const auto run = harness::run(dir, "rodmesh", {"m"}, "p\nb\n1\na\n\n");
    EXPECT_EQ(run.status, 0) << run.err;
    // Area 4: a square of side 2 on every bar, so node 1 of the first lies
    // at (0, -1, -1) and node 1 of the third, vertical from (1, 1, 0), at
    // (2, 0, 0).
    EXPECT_EQ(dir.read("m_th.zmf"), harness::source("rodmesh/tests/data/free_values_th.zmf"));
  }
}

}  // namespace
