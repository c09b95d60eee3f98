#include "toolkit/files.hpp"

#include <cstdio>
#include <cstdlib>

#include "toolkit/diagnostics.hpp"
#include "toolkit/platform.hpp"

namespace toolkit {

std::string mkname(std::string_view job, std::string_view ending) {
  if (job.size() + ending.size() > name_size - 1) errmsg("File name too long - jobname" + std::string(ending));
  std::string name(job);
  name += ending;
  return name;
}

FileOwner openin(const std::string& name) { return FileOwner(platform::openin(name)); }

FileOwner openjob(std::string_view verb, const std::string& name, std::string_view generic_name) {
  if (!verb.empty()) std::printf("\n%.*s file: %s\n", static_cast<int>(verb.size()), verb.data(), name.c_str());
  FileOwner file = openin(name);
  if (!file) errmsg("File not found - " + std::string(generic_name));
  return file;
}

FileOwner openout(const std::string& name, std::string_view generic_name, Form form) {
  FileOwner out(platform::openout(name, form == Form::text));
  if (!out) errmsg("Unable to open output file - " + std::string(generic_name));
  return out;
}

void closeout(FileOwner out, std::string_view generic_name) {
  std::FILE* file = out.release();
  bool failed = std::fflush(file) != 0 || std::ferror(file) != 0;
  failed = std::fclose(file) != 0 || failed;
  if (failed) errmsg("Error writing file - " + std::string(generic_name));
}

void endout() {
  if (std::fflush(stdout) == 0 && std::ferror(stdout) == 0) return;
  outerr();
}

void outerr() {
  // Nobody is left to read a message about a closed pipe.
  if (platform::brokenpipe()) std::exit(1);
  errmsg("Error writing standard output");
}

}  // namespace toolkit
