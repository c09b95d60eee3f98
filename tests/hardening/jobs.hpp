#pragma once
// One small job per program that succeeds when nothing disturbs it: its
// input files, answers, standard output and output files, so that the fault
// and limit tests can disturb one thing and tell exactly what must change.

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "rodmesh/tests/expected.hpp"
#include "tests/harness/e2e.hpp"

namespace hardening {

using Files = std::map<std::string, std::string>;

struct Job {
  std::string program;
  std::vector<std::string> args;
  Files inputs;         // written into the scratch directory before the run
  std::string answers;  // standard input
  std::string out;      // standard output of an undisturbed run
  Files outputs;        // the files that the run writes
};

// A scratch directory of its own for one case of the running test.
inline harness::Scratch scratch(const std::string& name) { return harness::Scratch(name); }

inline std::string reading(const std::string& name) { return "\nReading file: " + name + "\n"; }
inline std::string writing(const std::string& name) { return "\nWriting file: " + name + "\n"; }
inline std::string checking(const std::string& name) { return "\nChecking file: " + name + "\n"; }

inline std::string drawings(int n) {
  char line[80];
  std::snprintf(line, sizeof line, "\nN. of drawings splitted into files = %8d\n\n", n);
  return line;
}

// meshcut: a header and two drawings, each to a file of its own.
inline Job meshcut_job() {
  const std::string first = "T\n    0       1       0\n    1      0.00000000      0.00000000      0.00000000\n";
  const std::string second = "P\n    0       0       0\n";
  return {"meshcut",
          {"job"},
          {{"job.zmf", "Truss\n" + first + second}},
          "",
          harness::banner("meshcut") + reading("job.zmf") + writing("job_01.zmf") + writing("job_02.zmf") +
              drawings(2),
          {{"job_01.zmf", "Truss\n" + first}, {"job_02.zmf", "Truss\n" + second}}};
}

// meshcat: two files of one drawing each joined behind the first header.
inline Job meshcat_job() {
  return {"meshcat",
          {"-o", "c", "a", "b"},
          {{"a.zmf", "First\nD1\n0 0 0\n"}, {"b.zmf", "Second\nD2\n0 0 0\n"}},
          "",
          harness::banner("meshcat") + checking("a.zmf") + checking("b.zmf") + writing("c.zmf") +
              reading("a.zmf") + reading("b.zmf") + "\n",
          {{"c.zmf", "First\nD1\n0 0 0\nD2\n0 0 0\n"}}};
}

// rodmesh: one beam of length 2 along x as a prism brick, 1 wide and 0.5
// high. Its section axes are y and z, so node i of the template lies at
// (2 xi, eta, zeta).
inline std::string beam_nodes(double b, double h) {
  const double eta[8] = {-b, 0, b, b, b, 0, -b, -b};
  const double zeta[8] = {-h, -h, -h, 0, h, h, h, 0};
  std::string lines;
  for (int n = 0; n < 8; ++n) lines += rodmesh_test::node_line(1 + n, 0, eta[n], zeta[n]);
  for (int n = 0; n < 4; ++n) lines += rodmesh_test::node_line(9 + n, 1, eta[2 * n], zeta[2 * n]);
  for (int n = 0; n < 8; ++n) lines += rodmesh_test::node_line(13 + n, 2, eta[n], zeta[n]);
  return lines;
}

inline const std::string beam_mesh = "Beam\nB\n1 2 0\n1 2 1 2\n1 0 0 0\n2 2 0 0\n";

inline std::string beam_dialogue() {
  using namespace rodmesh_test;
  return job_line("beam") + mesh_type("p") + form("b") + menu("0") + width("1") + height("0.5");
}

inline std::string beam_reading() {
  using namespace rodmesh_test;
  return reading("beam.zmf") + titles("Beam", "B") + counts(1, 2, 0);
}

inline std::string beam_solid() {
  using namespace rodmesh_test;
  return "Beam\nB\n" + count_line(1, 20, 0) + brick_line(1) + beam_nodes(0.5, 0.25);
}

inline Job rodmesh_job() {
  using namespace rodmesh_test;
  return {"rodmesh",
          {"beam"},
          {{"beam.zmf", beam_mesh}},
          "p\nb\n0\n1\n0.5\n",
          harness::banner("rodmesh") + beam_dialogue() + beam_reading() + writing("beam_th.zmf") + success(),
          {{"beam_th.zmf", beam_solid()}}};
}

// plotcad: the standard output up to the first question, for a curve data
// file of one curve of the given points, counted or in the one-curve layout.
inline std::string plotcad_head(const std::string& job, int points, bool counted = true) {
  char count[64] = "";
  if (counted) std::snprintf(count, sizeof count, "%8d - number of points = %8d\n", 1, points);
  char max[64];
  std::snprintf(max, sizeof max, "\nMaximum number of points per curve = %8d\n", points);
  return harness::banner("plotcad") + "\nJob name = " + job + "\n\nScanning file: " + job + ".kvd\n\n" + count +
         "\nNumber of curves =        1\n" + max + reading(job + ".kvd");
}

inline const std::string grid_question = "\nText height of the axes' labels [10.8] ? ";
inline const std::string title_question = "\nText height of the title [14.4] ? ";
inline const std::string plotcad_success = "\n### Success ###\n\n";

// The first run of a job: the options file is written with defaults. The
// drawing of a first run is checked line by line in the plotcad tests; here
// the files of an undisturbed run are the reference.
inline Job plotcad_job() {
  Job job{"plotcad",
          {"job"},
          {{"job.kvd", "2\n0 0\n10 100\n"}},
          "\n\n",
          plotcad_head("job", 2) + writing("job.def") + writing("job.dxf") + grid_question +
              "You answered: 10.8\n" + title_question + "You answered: 14.4\n" + plotcad_success,
          {}};
  const harness::Scratch reference = scratch("plotcad_reference");
  for (const auto& [name, text] : job.inputs) reference.write(name, text);
  const auto run = harness::run(reference, "plotcad", job.args, job.answers);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, job.out);
  for (const char* name : {"job.def", "job.dxf"}) job.outputs[name] = reference.read(name);
  return job;
}

// Writes the job's inputs into the scratch directory.
inline void setup(const harness::Scratch& dir, const Job& job) {
  for (const auto& [name, text] : job.inputs) {
    std::filesystem::create_directories(std::filesystem::path(dir.path(name)).parent_path());
    dir.write(name, text);
  }
}

// The directory holds the job's inputs, the given files with exactly their
// texts, and nothing else.
inline void expect_files(const harness::Scratch& dir, const Job& job, const Files& files) {
  std::vector<std::string> names;
  for (const auto& [name, text] : job.inputs) names.push_back(name);
  for (const auto& [name, text] : files) {
    names.push_back(name);
    if (dir.exists(name)) {
      EXPECT_TRUE(dir.read(name) == text) << name << " differs; it begins:\n" << dir.read(name).substr(0, 300);
    }
  }
  std::sort(names.begin(), names.end());
  EXPECT_EQ(dir.files(), names);
}

}  // namespace hardening
