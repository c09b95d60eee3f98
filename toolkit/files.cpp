#include "toolkit/files.hpp"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "toolkit/diagnostics.hpp"
#include "toolkit/platform.hpp"

namespace toolkit {

namespace {

// An output being written beside its place.
struct Part {
  std::FILE* file;
  std::string name;
  std::string place;
};

// Never destroyed: the exit processing reads it.
std::vector<Part>& parts() {
  static auto* const list = new std::vector<Part>;
  return *list;
}

// Closes a file, and puts an output written beside its place there; false
// when either failed.
bool endfile(std::FILE* file) {
  std::vector<Part>& list = parts();
  const auto at = std::find_if(list.begin(), list.end(), [file](const Part& p) { return p.file == file; });
  if (at == list.end()) return std::fclose(file) == 0;
  const Part part = *at;
  list.erase(at);
  bool ended = std::fclose(file) == 0;
  if (!platform::placepart(part.name, part.place)) {
    platform::droppart(part.name);
    ended = false;
  }
  return ended;
}

// The end of a program stopped with outputs open (errmsg, a closed standard
// output): each stands in its place as far as it got. Run by std::exit
// before it closes the streams.
void endall() {
  while (!parts().empty()) endfile(parts().back().file);
}

}  // namespace

void CloseFile::operator()(std::FILE* file) const { endfile(file); }

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
  const bool text = form == Form::text;
  const std::string place = platform::endpath(name);
  if (platform::besideable(place)) {
    std::string part;
    if (std::FILE* file = platform::openpart(place, text, part)) {
      static const bool registered = std::atexit(endall) == 0;
      (void)registered;
      parts().push_back({file, part, place});
      return FileOwner(file);
    }
  }
  // Written where it is, as before; a fault is met as it was.
  FileOwner out(platform::openout(name, text));
  if (!out) errmsg("Unable to open output file - " + std::string(generic_name));
  return out;
}

void closeout(FileOwner out, std::string_view generic_name) {
  std::FILE* file = out.release();
  bool failed = std::fflush(file) != 0 || std::ferror(file) != 0;
  failed = !endfile(file) || failed;
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
