// The questions of rodmesh, their repetitions and the stops of the dialogue.

#include <string>

#include <gtest/gtest.h>

#include "rodmesh/tests/expected.hpp"
#include "tests/harness/e2e.hpp"

namespace {

using namespace rodmesh_test;

const std::string bar = "Bar\nB\n1 2 0\n1 2 1 2\n1 0 0 0\n2 0 0 1\n";

TEST(RodmeshDialogue, MoreThanOneArgumentIsAUsageError) {
  harness::Scratch dir;
  const auto run = harness::run(dir, "rodmesh", {"a", "b"}, "c\n");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, harness::banner("rodmesh"));
  EXPECT_EQ(run.err, harness::error_block("Usage: rodmesh jobname"));
  EXPECT_TRUE(dir.files().empty());
}

TEST(RodmeshDialogue, AChoiceOutsideTheMenuShowsTheWholeMenuAgain) {
  harness::Scratch dir;
  dir.write("bar.zmf", bar);
  const auto run = harness::run(dir, "rodmesh", {"bar"}, "C\nx\nF\n3\n-1\n0\n1\n");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, harness::banner("rodmesh") + job_line("bar") + mesh_type("c") + form("x") + repeat() +
                         form("f") + menu("3") + repeat() + menu("-1") + repeat() + menu("0") + diameter("1") +
                         reading("bar.zmf") + titles("Bar", "B") + counts(1, 2, 0) + writing("bar_th.zmf") +
                         success());
}

TEST(RodmeshDialogue, AnglesWithCylindersStopBeforeTheExtension) {
  harness::Scratch dir;
  const auto run = harness::run(dir, "rodmesh", {"bar"}, "c\nb\n2\next\n");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, harness::banner("rodmesh") + job_line("bar") + mesh_type("c") + form("b") + menu("2"));
  EXPECT_EQ(run.err, harness::error_block("Angles cannot be visualized with cylindric bars"));
}

TEST(RodmeshDialogue, ANegativeFactorStopsAndZeroIsAccepted) {
  harness::Scratch dir;
  const auto negative = harness::run(dir, "rodmesh", {"bar"}, "p\nf\n1\n  my ext \n-0.5\n");
  EXPECT_EQ(negative.status, 1);
  EXPECT_EQ(negative.out, harness::banner("rodmesh") + job_line("bar") + mesh_type("p") + form("f") + menu("1") +
                              extension("  my ext ") + factor("-0.5"));
  EXPECT_EQ(negative.err, harness::error_block("Factor cannot be negative"));

  dir.write("bar.zmf", bar);
  dir.write("bar_  my ext .eva", "1 5.0\n");
  const auto zero = harness::run(dir, "rodmesh", {"bar"}, "p\nb\n1\n  my ext \n0\n");
  EXPECT_EQ(zero.status, 0);
  EXPECT_EQ(zero.out, harness::banner("rodmesh") + job_line("bar") + mesh_type("p") + form("b") + menu("1") +
                          extension("  my ext ") + factor("0") + reading("bar.zmf") + titles("Bar", "B") +
                          counts(1, 2, 0) + reading("bar_  my ext .eva") + writing("bar_th.zmf") + success());
  // Every node of the solid lies on the axis.
  const std::string file = dir.read("bar_th.zmf");
  EXPECT_NE(file.find(node_line(1, 0, 0, 0)), std::string::npos);
  EXPECT_NE(file.find(node_line(15, 0, 0, 1)), std::string::npos);
}

TEST(RodmeshDialogue, BadNumbersAreAskedAgain) {
  harness::Scratch dir;
  dir.write("bar.zmf", bar);
  const auto run = harness::run(dir, "rodmesh", {"bar"}, "p\nb\n0\nabc\n2.5x\n-2 more\n1e999\n\n");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, harness::banner("rodmesh") + job_line("bar") + mesh_type("p") + form("b") + menu("0") +
                         width("abc") + repeat() + width("2.5x") + repeat() + width("-2") + height("1e999") +
                         repeat() + height("1") + reading("bar.zmf") + titles("Bar", "B") + counts(1, 2, 0) +
                         writing("bar_th.zmf") + success());
  // A negative width is taken as it is: node 1 at eta = 1, zeta = -0.5.
  EXPECT_NE(dir.read("bar_th.zmf").find(node_line(1, 0.5, 1, 0)), std::string::npos);
}

TEST(RodmeshDialogue, TheEndOfInputDuringAQuestionStops) {
  harness::Scratch dir;
  dir.write("bar.zmf", bar);
  const auto run = harness::run(dir, "rodmesh", {"bar"}, "p\nb\n");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, harness::error_block("Unexpected end of input"));
  EXPECT_EQ(dir.files(), (std::vector<std::string>{"bar.zmf"}));
}

TEST(RodmeshDialogue, AMissingMeshFileIsReportedAfterTheQuestions) {
  harness::Scratch dir;
  const auto run = harness::run(dir, "rodmesh", {"gone"}, "c\nf\n0\n1\n");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, harness::banner("rodmesh") + job_line("gone") + mesh_type("c") + form("f") + menu("0") +
                         diameter("1") + reading("gone.zmf"));
  EXPECT_EQ(run.err, harness::error_block("File not found - jobname.zmf"));
  EXPECT_TRUE(dir.files().empty());
}

TEST(RodmeshDialogue, AMissingValuesFile) {
  harness::Scratch dir;
  dir.write("bar.zmf", bar);
  const auto run = harness::run(dir, "rodmesh", {"bar"}, "c\nf\n1\nA\n\n");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, harness::banner("rodmesh") + job_line("bar") + mesh_type("c") + form("f") + menu("1") +
                         extension("A") + factor("1") + reading("bar.zmf") + titles("Bar", "B") + counts(1, 2, 0) +
                         reading("bar_A.eva"));
  EXPECT_EQ(run.err, harness::error_block("File not found - jobname_ext.eva"));
  EXPECT_EQ(dir.files(), (std::vector<std::string>{"bar.zmf"}));
}

// The output name is the longest: a job name of 77 characters does not fit
// with "_th.zmf", and it is refused before the first question.
TEST(RodmeshDialogue, JobNamesAndExtensionsTooLongForAFileName) {
  harness::Scratch dir;
  const std::string job76(76, 'j');
  const std::string job77(77, 'j');
  const auto long_job = harness::run(dir, "rodmesh", {job77}, "c\nf\n0\n1\n");
  EXPECT_EQ(long_job.status, 1);
  EXPECT_EQ(long_job.out, harness::banner("rodmesh") + job_line(job77));
  EXPECT_EQ(long_job.err, harness::error_block("File name too long - jobname_th.zmf"));

  const std::string job80(80, 'j');
  const auto longer = harness::run(dir, "rodmesh", {job80}, "");
  EXPECT_EQ(longer.err, harness::error_block("File name too long - jobname.zmf"));

  dir.write(job76 + ".zmf", bar);
  const auto fits = harness::run(dir, "rodmesh", {job76}, "c\nf\n0\n1\n");
  EXPECT_EQ(fits.status, 0);
  EXPECT_TRUE(dir.exists(job76 + "_th.zmf"));

  // job + "_" + "ab" + ".eva" is 83 characters with a job of 76; "abc" is one too many.
  dir.write(job76 + "_ab.eva", "1 1\n");
  const auto ext_fits = harness::run(dir, "rodmesh", {job76}, "c\nf\n1\nab\n1\n");
  EXPECT_EQ(ext_fits.status, 0);
  const auto long_ext = harness::run(dir, "rodmesh", {job76}, "c\nf\n1\nabc\n1\n");
  EXPECT_EQ(long_ext.status, 1);
  EXPECT_EQ(long_ext.out, harness::banner("rodmesh") + job_line(job76) + mesh_type("c") + form("f") + menu("1") +
                              extension("abc") + factor("1"));
  EXPECT_EQ(long_ext.err, harness::error_block("File name too long - jobname_abc.eva"));
}

}  // namespace
