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
      EXPECT_EQ(run.status, ignore ? 1 : 128 + SIGPIPE);
      EXPECT_EQ(run.err, "");
      // Ignoring the signal, the run goes on to its end: the files are whole.
      if (ignore) expect_files(dir, job, job.outputs);
    }
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
  for (const auto& [name, text] : c.job.inputs) names.push_back(name);
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
