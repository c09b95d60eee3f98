// Fault injection end to end, one test per kind of fault across the
// programs: each fault gives its ERROR block and status 1 (or, for a reader
// of standard output that went away, a quiet stop), never a crash, a reported
// success or a file that holds what it should not. Cases that the programs'
// own tests already cover are not repeated here.

#include <signal.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "rodmesh/tests/expected.hpp"
#include "tests/hardening/jobs.hpp"

namespace {

using namespace hardening;
using harness::error_block;

const std::string write_error = error_block("Error writing standard output");

// Jobs that write files, for the faults of standard output: wordlist's own
// tests cover it.
std::vector<Job> file_jobs() { return {meshcut_job(), meshcat_job(), rodmesh_job(), plotcad_job()}; }

// meshcat with so many inputs that its console text outgrows the buffer of
// standard output while the joined file is open.
Job many_inputs_job() {
  Job job{"meshcat", {"-o", "c"}, {}, "", harness::banner("meshcat"), {}};
  std::string reads;
  std::string joined = "H\n";
  for (int k = 1; k <= 200; ++k) {
    const std::string name = "input" + std::to_string(k);
    job.args.push_back(name);
    job.inputs[name + ".zmf"] = "H\nD" + std::to_string(k) + "\n0 0 0\n";
    job.out += checking(name + ".zmf");
    reads += reading(name + ".zmf");
    joined += "D" + std::to_string(k) + "\n0 0 0\n";
  }
  job.out += writing("c.zmf") + reads + "\n";
  job.outputs["c.zmf"] = joined;
  return job;
}

// A closed standard output is a write error at the end of the run; the
// console text never lands in a file that took the descriptor's number.
TEST(FaultInjection, StandardOutputClosed) {
  std::vector<Job> jobs = file_jobs();
  jobs.push_back(many_inputs_job());
  for (const Job& job : jobs) {
    SCOPED_TRACE(job.program + " " + std::to_string(job.args.size()));
    const auto dir = scratch(job.program + std::to_string(job.args.size()));
    setup(dir, job);
    harness::RunOptions closed;
    closed.close_stdout = true;
    const auto run = harness::run(dir, job.program, job.args, job.answers, closed);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, write_error);
    expect_files(dir, job, job.outputs);
  }
}

TEST(FaultInjection, StandardOutputOnAFullDevice) {
  for (const Job& job : file_jobs()) {
    SCOPED_TRACE(job.program);
    const auto dir = scratch(job.program);
    setup(dir, job);
    harness::RunOptions full;
    full.stdout_path = "/dev/full";
    const auto run = harness::run(dir, job.program, job.args, job.answers, full);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, write_error);
    expect_files(dir, job, job.outputs);
  }
}

// A reader that went away: the program dies of SIGPIPE as a filter does, or,
// with the signal ignored, stops with status 1. Either way without a word.
TEST(FaultInjection, ClosedPipeOnStandardOutputStopsQuietly) {
  for (const Job& job : file_jobs()) {
    for (const bool ignore : {false, true}) {
      SCOPED_TRACE(job.program + (ignore ? " ignoring SIGPIPE" : " with SIGPIPE"));
      const auto dir = scratch(job.program + (ignore ? "_ignored" : "_signal"));
      setup(dir, job);
      harness::RunOptions pipe;
      pipe.broken_pipe = true;
      pipe.ignore_sigpipe = ignore;
      const auto run = harness::run(dir, job.program, job.args, job.answers, pipe);
      // Windows has no SIGPIPE: the failed write stops the program with status 1.
      EXPECT_EQ(run.status, ignore || harness::windows() ? 1 : 128 + SIGPIPE);
      EXPECT_EQ(run.err, "");
      // Ignoring the signal, the run goes on to its end: the files are whole.
      if (ignore) expect_files(dir, job, job.outputs);
    }
  }
}

// An interrupt while plotcad waits at a question, its drawing open beside
// its place: the earlier drawing stays as it was, the options file written
// before it is whole, and no part is left. Under Wine only Ctrl-C (SIGINT)
// reaches a Windows program, and the status is Wine's.
TEST(FaultInjection, InterruptLeavesTheEarlierOutput) {
  const Job plotcad = plotcad_job();
  for (const int number : {SIGINT, SIGTERM, SIGHUP}) {
    if (harness::windows() && number != SIGINT) continue;
    SCOPED_TRACE(number);
    const auto dir = scratch("signal" + std::to_string(number));
    setup(dir, plotcad);
    dir.write("job.dxf", "earlier\n");
    harness::RunOptions options;
    options.interrupt = number;
    options.interrupt_at = grid_question;
    const auto run = harness::run(dir, "plotcad", plotcad.args, "", options);
    if (!harness::windows()) {
      EXPECT_EQ(run.status, 128 + number);
    }
    EXPECT_EQ(run.out, plotcad_head("job", 2) + writing("job.def") + writing("job.dxf") + grid_question);
    EXPECT_EQ(run.err, "");
    expect_files(dir, plotcad, {{"job.def", plotcad.outputs.at("job.def")}, {"job.dxf", "earlier\n"}});
  }
}

struct Case {
  std::string name;
  Job job;
  std::function<void(const harness::Scratch&)> fault;  // done to the directory before the run
  std::string out;
  std::string err;
  Files written = {};                  // the files the run leaves, with their texts
  std::vector<std::string> also = {};  // further names in the directory
  harness::RunOptions options = {};
};

void expect_case(const Case& c) {
  SCOPED_TRACE(c.name);
  const auto dir = scratch(c.name);
  setup(dir, c.job);
  if (c.fault) c.fault(dir);
  const auto run = harness::run(dir, c.job.program, c.job.args, c.job.answers, c.options);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, c.out);
  EXPECT_EQ(run.err, c.err);
  std::vector<std::string> names = c.also;
  // The listing is of the directory itself: a file in a subdirectory counts
  // as that subdirectory.
  for (const auto& [name, text] : c.job.inputs) names.push_back(name.substr(0, name.find('/')));
  for (const auto& [name, text] : c.written) {
    names.push_back(name);
    if (dir.exists(name)) {
      EXPECT_EQ(dir.read(name), text) << name;
    }
  }
  std::sort(names.begin(), names.end());
  names.erase(std::unique(names.begin(), names.end()), names.end());
  EXPECT_EQ(dir.files(), names);
}

// Turns an input file into a directory of the same name.
std::function<void(const harness::Scratch&)> directory(const std::string& name) {
  return [name](const harness::Scratch& dir) {
    std::filesystem::remove(dir.path(name));
    std::filesystem::create_directory(dir.path(name));
  };
}

std::string rodmesh_areas_head() {
  using namespace rodmesh_test;
  return harness::banner("rodmesh") + job_line("beam") + mesh_type("p") + form("b") + menu("1") + extension("A") +
         factor("1") + beam_reading();
}

Job rodmesh_areas_job() {
  Job job = rodmesh_job();
  job.answers = "p\nb\n1\nA\n1\n";
  job.inputs["beam_A.eva"] = "1 1.0\n";
  return job;
}

TEST(FaultInjection, InputThatIsADirectory) {
  const Job plotcad = plotcad_job();
  const Job rodmesh = rodmesh_job();
  const std::string plotcad_scan = harness::banner("plotcad") + "\nJob name = job\n\nScanning file: job.kvd\n";
  const std::vector<Case> cases = {
      {"plotcad_kvd", plotcad, directory("job.kvd"), plotcad_scan, error_block("File not found - jobname.kvd"), {}},
      // An options file that cannot be opened for reading is written anew,
      // and a directory cannot be written.
      {"plotcad_def", plotcad, directory("job.def"), plotcad_head("job", 2) + writing("job.def"),
       error_block("Unable to open output file - jobname.def"), {}, {"job.def"}},
      {"rodmesh_zmf", rodmesh, directory("beam.zmf"),
       harness::banner("rodmesh") + beam_dialogue() + reading("beam.zmf"),
       error_block("File not found - jobname.zmf"), {}},
      {"rodmesh_eva", rodmesh_areas_job(), directory("beam_A.eva"), rodmesh_areas_head() + reading("beam_A.eva"),
       error_block("File not found - jobname_ext.eva"), {}},
  };
  for (const Case& c : cases) expect_case(c);

  const auto dir = scratch("wordlist");
  harness::RunOptions options;
  options.stdin_path = dir.dir();
  const auto run = harness::run(dir, "wordlist", {}, "", options);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, error_block("Error reading standard input"));
}

}  // namespace

namespace {

// Takes every permission from a file or directory.
std::function<void(const harness::Scratch&)> chmod_to(const std::string& name, mode_t mode) {
  return [name, mode](const harness::Scratch& dir) { chmod(dir.path(name).c_str(), mode); };
}

harness::RunOptions unprivileged() {
  harness::RunOptions options;
  options.unprivileged = true;
  return options;
}

TEST(FaultInjection, InputWithoutReadPermission) {
  if (!harness::permissions_apply()) GTEST_SKIP() << "cannot run the programs as user 65534 here";
  const Job meshcut = meshcut_job();
  const Job meshcat = meshcat_job();
  const Job plotcad = plotcad_job();
  const Job rodmesh = rodmesh_job();
  Job edited = plotcad;
  edited.inputs["job.def"] = "edited options\n";
  const std::vector<Case> cases = {
      {"meshcut", meshcut, chmod_to("job.zmf", 0), harness::banner("meshcut") + reading("job.zmf"),
       error_block("File not found - jobname.zmf")},
      // The existence pass stops before the joined file is created.
      {"meshcat", meshcat, chmod_to("b.zmf", 0), harness::banner("meshcat") + checking("a.zmf") + checking("b.zmf"),
       error_block("File not found - jobname.zmf")},
      {"plotcad_kvd", plotcad, chmod_to("job.kvd", 0),
       harness::banner("plotcad") + "\nJob name = job\n\nScanning file: job.kvd\n",
       error_block("File not found - jobname.kvd")},
      // An options file that exists is never replaced by defaults.
      {"plotcad_def", edited, chmod_to("job.def", 0), plotcad_head("job", 2) + reading("job.def"),
       error_block("Unable to read file - jobname.def"), {{"job.def", "edited options\n"}}},
      {"rodmesh_zmf", rodmesh, chmod_to("beam.zmf", 0),
       harness::banner("rodmesh") + beam_dialogue() + reading("beam.zmf"),
       error_block("File not found - jobname.zmf")},
      {"rodmesh_eva", rodmesh_areas_job(), chmod_to("beam_A.eva", 0), rodmesh_areas_head() + reading("beam_A.eva"),
       error_block("File not found - jobname_ext.eva")},
  };
  for (Case c : cases) {
    c.options = unprivileged();
    expect_case(c);
  }
}

TEST(FaultInjection, OutputWithoutWritePermission) {
  if (!harness::permissions_apply()) GTEST_SKIP() << "cannot run the programs as user 65534 here";
  const auto read_only = [](const std::string& name, const std::string& text) {
    return [name, text](const harness::Scratch& dir) {
      dir.write(name, text);
      chmod(dir.path(name).c_str(), 0444);
    };
  };
  const Job meshcut = meshcut_job();
  const Job meshcat = meshcat_job();
  const Job plotcad = plotcad_job();
  const Job rodmesh = rodmesh_job();
  // The job in a directory that its user may read but not write.
  Job in_read_only = plotcad;
  in_read_only.args = {"ro/job"};
  in_read_only.inputs = {{"ro/job.kvd", plotcad.inputs.at("job.kvd")}};
  const auto ro = [](const harness::Scratch& dir) { chmod(dir.path("ro").c_str(), 0555); };
  const std::string def_and_dxf = plotcad_head("job", 2) + writing("job.def") + writing("job.dxf");
  const std::vector<Case> cases = {
      {"meshcut", meshcut, read_only("job_02.zmf", "kept\n"),
       harness::banner("meshcut") + reading("job.zmf") + writing("job_01.zmf") + writing("job_02.zmf"),
       error_block("Unable to open output file - jobname.zmf"),
       {{"job_01.zmf", meshcut.outputs.at("job_01.zmf")}, {"job_02.zmf", "kept\n"}}},
      {"meshcat", meshcat, read_only("c.zmf", "kept\n"),
       harness::banner("meshcat") + checking("a.zmf") + checking("b.zmf") + writing("c.zmf"),
       error_block("Unable to open output file - jobname.zmf"), {{"c.zmf", "kept\n"}}},
      {"plotcad_def", in_read_only, ro, plotcad_head("ro/job", 2) + writing("ro/job.def"),
       error_block("Unable to open output file - jobname.def"), {}, {"ro"}},
      {"plotcad_dxf", plotcad, read_only("job.dxf", "kept\n"), def_and_dxf,
       error_block("Unable to open output file - jobname.dxf"),
       {{"job.def", plotcad.outputs.at("job.def")}, {"job.dxf", "kept\n"}}},
      {"rodmesh", rodmesh, read_only("beam_th.zmf", "kept\n"),
       harness::banner("rodmesh") + beam_dialogue() + beam_reading() + writing("beam_th.zmf"),
       error_block("Unable to open output file - jobname_th.zmf"), {{"beam_th.zmf", "kept\n"}}},
  };
  for (Case c : cases) {
    c.options = unprivileged();
    expect_case(c);
  }
}

// Output files on a full device that the programs' own tests leave out. An
// options file that exists is read, whatever it is: the full device reads as
// zero bytes.
TEST(FaultInjection, OutputOnAFullDevice) {
  const Job meshcut = meshcut_job();
  const Job plotcad = plotcad_job();
  const auto full = [](const std::string& name) {
    return [name](const harness::Scratch& dir) { dir.symlink(name, "/dev/full"); };
  };
  const std::vector<Case> cases = {
      {"meshcut_second", meshcut, full("job_02.zmf"),
       harness::banner("meshcut") + reading("job.zmf") + writing("job_01.zmf") + writing("job_02.zmf"),
       error_block("Error writing file - jobname.zmf"), {{"job_01.zmf", meshcut.outputs.at("job_01.zmf")}},
       {"job_02.zmf"}},
      {"plotcad_def", plotcad, full("job.def"), plotcad_head("job", 2) + reading("job.def"),
       error_block("NUL byte in the line", 1), {}, {"job.def"}},
  };
  for (const Case& c : cases) expect_case(c);
}

// Standard input closed, or ending before the last question: the dialogue
// stops at the question with "Unexpected end of input"; programs that ask
// nothing do not care.
TEST(FaultInjection, StandardInputClosedOrEndingInTheDialogue) {
  namespace rt = rodmesh_test;
  harness::RunOptions closed;
  closed.close_stdin = true;
  const Job plotcad = plotcad_job();
  const Job rodmesh = rodmesh_job();
  Job asked = plotcad;
  asked.args = {};
  Job one_answer = plotcad;
  one_answer.answers = "\n";
  Job to_extension = rodmesh;
  to_extension.answers = "p\nb\n1\n";
  const std::string dxf = plotcad.outputs.at("job.dxf");
  const std::string end = error_block("Unexpected end of input");
  const std::string dialogue = plotcad_head("job", 2) + writing("job.def") + writing("job.dxf") + grid_question;
  std::vector<Case> cases = {
      {"plotcad_job_name", asked, nullptr, harness::banner("plotcad") + "\nJob name ? ", end},
      // The drawing keeps what was written before the question.
      {"plotcad_grid", plotcad, nullptr, dialogue, end,
       {{"job.def", plotcad.outputs.at("job.def")}, {"job.dxf", "  0\nSECTION\n  2\nENTITIES\n  0\n"}}},
      {"plotcad_title", one_answer, nullptr, dialogue + "You answered: 10.8\n" + title_question, end,
       {{"job.def", plotcad.outputs.at("job.def")}, {"job.dxf", dxf.substr(0, dxf.rfind("TEXT\n  8\nTITLE\n"))}}},
      {"rodmesh_first", rodmesh, nullptr,
       harness::banner("rodmesh") + rt::job_line("beam") + "\nMesh type (cylinders/prisms) (c/p) [c] ? ", end},
      {"rodmesh_extension", to_extension, nullptr,
       harness::banner("rodmesh") + rt::job_line("beam") + rt::mesh_type("p") + rt::form("b") + rt::menu("1") +
           "\nExtension ? ",
       end},
  };
  for (Case c : cases) {
    // The others have standard input, which ends too early.
    if (c.name == "plotcad_job_name" || c.name == "plotcad_grid" || c.name == "rodmesh_first") c.options = closed;
    expect_case(c);
  }

  // A last answer without its line end is still an answer; the programs that
  // ask nothing run as usual without any standard input.
  Job unterminated = rodmesh;
  unterminated.answers = "p\nb\n0\n1\n0.5";
  for (const Job& job : {unterminated, meshcut_job(), meshcat_job()}) {
    SCOPED_TRACE(job.program);
    const auto dir = scratch(job.program);
    setup(dir, job);
    const auto run = harness::run(dir, job.program, job.args, job.answers,
                                  job.program == "rodmesh" ? harness::RunOptions{} : closed);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, job.out);
    EXPECT_EQ(run.err, "");
    expect_files(dir, job, job.outputs);
  }
}

}  // namespace
