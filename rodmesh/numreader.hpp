#pragma once
// Numbers read as a stream of white-space-delimited tokens, whatever line
// they stand on, as the record sections of the mesh file and the element
// values file are laid out.

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

namespace rodmesh {

// What a read found.
enum class Got {
  number,  // a whole token that is a number
  end,     // the end of the file, before any token
  bad,     // a token that is not a number of the kind asked for
  range,   // a real number beyond the range of a double
};

class NumReader {
 public:
  // Reads on from the file's current position. generic_name names the file
  // in messages ("jobname.zmf").
  NumReader(std::FILE* file, std::string generic_name);

  // An integer: optional sign and digits, nothing else. A value beyond the
  // 64-bit range is kept at the nearest bound, which every caller's range
  // check then refuses, so no count or number can wrap.
  Got integer(std::int64_t& value);

  // A decimal real: optional sign, digits with at most one point, optional
  // exponent. Infinities, NaNs and hexadecimal forms are not numbers here;
  // a value that overflows is Got::range, one that underflows is kept.
  Got real(double& value);

  // Skips what is left of the current line, its line feed included; the end
  // of the file also ends it.
  void skipln();

  // False when the file is a regular file whose unread rest is too short
  // for the given number of tokens: a byte each and a blank between them.
  // A stream of unknown length may hold any number.
  bool room(std::int64_t tokens) const;

 private:
  bool token(std::string_view& word);
  bool refill();

  std::FILE* file_;
  std::string name_;
  std::unique_ptr<char[]> buffer_;
  std::size_t pos_ = 0;
  std::size_t end_ = 0;
  bool eof_ = false;
};

// The token checks, for callers that hold a word of their own.
Got parse_integer(std::string_view word, std::int64_t& value);
Got parse_real(std::string_view word, double& value);

}  // namespace rodmesh
