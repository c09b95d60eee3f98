#include <string>

#include <gtest/gtest.h>

#include "tests/harness/capture.hpp"
#include "tests/harness/e2e.hpp"
#include "toolkit/files.hpp"
#include "toolkit/writer.hpp"

namespace {

TEST(Writer, AWriterGoneWithBytesUnwrittenStopsTheRun) {
  harness::Scratch scratch;
  const std::string name = scratch.path("job.zmf");
  struct Case {
    bool closed;
    int status;
    std::string err;
  };
  for (const Case& c : {Case{true, 0, ""},
                        Case{false, 1, harness::error_block("Output never closed (internal error) - jobname.zmf")}}) {
    const auto outcome = harness::capture([&] {
      toolkit::Writer out(toolkit::openout(name, "jobname.zmf", toolkit::Form::text), "jobname.zmf");
      out.write("1 2 3\n");
      if (c.closed) out.close();
    });
    EXPECT_EQ(outcome.err, c.err);
    EXPECT_EQ(outcome.status, c.status);
    // The bytes reach the file either way.
    EXPECT_EQ(scratch.read("job.zmf"), "1 2 3\n");
  }
}

}  // namespace
