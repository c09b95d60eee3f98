#include "toolkit/filename.hpp"

#include "toolkit/diagnostics.hpp"

namespace toolkit {

std::string mkname(std::string_view job, std::string_view ending) {
  if (job.size() + ending.size() > name_size - 1)
    errmsg("File name too long - jobname" + std::string(ending));
  std::string name(job);
  name += ending;
  return name;
}

}  // namespace toolkit
