#include "bridge/tokens.hpp"

#include "toolkit/numbers.hpp"
#include "toolkit/reader.hpp"

namespace bridge {

bool slow_int(std::string_view token, std::int64_t& value) {
  return token.size() <= toolkit::token_limit && toolkit::toint(token, value);
}

bool slow_real(std::string_view token, double& value) {
  if (token.size() > toolkit::token_limit || !toolkit::isrecreal(token)) return false;
  value = toolkit::toreal(token);
  return true;
}

}  // namespace bridge
