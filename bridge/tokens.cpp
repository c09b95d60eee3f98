#include "bridge/tokens.hpp"

#include "toolkit/numbers.hpp"
#include "toolkit/reader.hpp"

namespace bridge {

bool slow_int(std::string_view token, std::int64_t& value) {
  // An empty token (the end of the file) may have no address at all, which
  // toint would take for an empty word read through.
  return !token.empty() && token.size() <= toolkit::token_limit && toolkit::toint(token, value);
}

bool slow_real(std::string_view token, double& value) {
  if (token.empty() || token.size() > toolkit::token_limit || !toolkit::isrecreal(token)) return false;
  value = toolkit::toreal(token);
  return true;
}

}  // namespace bridge
