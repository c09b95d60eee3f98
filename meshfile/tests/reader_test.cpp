// The mesh file's reader: its messages, and its records against a slow
// reader of the same grammar written apart from it (a position in a
// string, strtoll, strtod) on random and mutated files.

#include <bit>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "meshfile/reader.hpp"

namespace {

using meshfile::Fault;
using meshfile::Part;

// The records of a drawing in one text, or its fault: what both readers
// give, the same to the byte.
std::string fault_text(const Fault& f) {
  return "fault " + std::to_string(f.kind) + " part " + std::to_string(static_cast<int>(f.part)) + " record " +
         std::to_string(f.record) + " item " + std::to_string(f.item) + " line " + std::to_string(f.line) +
         " limit " + std::to_string(f.limit) + " token '" + f.token + "'";
}

std::string bits(double v) { return std::to_string(std::bit_cast<std::uint64_t>(v)) + " "; }

std::string read(const std::string& file, std::int64_t drawing) {
  meshfile::Reader reader(meshfile::over_bytes(file));
  if (!reader.open(drawing)) return fault_text(reader.fault());
  std::string text = reader.header().bytes + "|" + std::to_string(reader.header().ended) + "|" +
                     reader.label().bytes + "|" + std::to_string(reader.label().ended) + "|" +
                     std::to_string(reader.elements()) + " " + std::to_string(reader.nodes()) + " " +
                     std::to_string(reader.specials()) + "\n";
  std::span<const std::int64_t> nodes;
  for (std::int64_t i = 0; i < reader.elements(); ++i, text += "\n") {
    if (!reader.element(nodes)) return text + fault_text(reader.fault());
    for (const std::int64_t node : nodes) text += std::to_string(node) + " ";
  }
  std::array<double, 3> xyz;
  for (std::int64_t i = 0; i < reader.nodes(); ++i, text += "\n") {
    if (!reader.node(xyz)) return text + fault_text(reader.fault());
    for (const double v : xyz) text += bits(v);
  }
  std::int64_t node = 0;
  for (std::int64_t i = 0; i < reader.specials(); ++i, text += "\n") {
    if (!reader.special(node)) return text + fault_text(reader.fault());
    text += std::to_string(node);
  }
  return text;
}

// The slow reader: the grammar spelt out on a string.
class Slow {
 public:
  explicit Slow(const std::string& file) : f_(file) {}

  std::string read(std::int64_t drawing) {
    std::string header, label;
    bool header_ended = false, label_ended = false;
    if (!title(header, header_ended, Part::header)) return text_;
    std::int64_t counts[3] = {};
    for (std::int64_t k = 1; k <= drawing; ++k) {
      keeping_ = k == drawing;
      if (k > 1) {
        while (at_ < f_.size() && f_[at_] != '\n') ++at_;
        if (at_ < f_.size()) ++at_, ++line_;
        if (at_ == f_.size()) return fault(Fault::no_drawing, Part::label, drawing, 0, line_, k - 1, "");
      }
      if (!title(label, label_ended, Part::label)) return text_;
      for (int c = 0; c < 3; ++c) {
        const std::string word = token();
        if (!integer(word, counts[c])) return bad(word, Fault::not_integer, Part::counts, 0, c, 0);
        if (counts[c] < 0) return bad(word, Fault::negative_count, Part::counts, 0, c, 0);
        if (counts[c] > INT32_MAX) return bad(word, Fault::big_count, Part::counts, 0, c, 0);
      }
      if (k == drawing) {
        text_ = header + "|" + std::to_string(header_ended) + "|" + label + "|" + std::to_string(label_ended) +
                "|" + std::to_string(counts[0]) + " " + std::to_string(counts[1]) + " " + std::to_string(counts[2]) +
                "\n";
      }
      const std::int64_t nn = counts[1];
      for (std::int64_t i = 1; i <= counts[0]; ++i, text_ += "\n") {
        std::int64_t v = 0, m = 0;
        std::string word = token();
        if (!integer(word, v)) return bad(word, Fault::not_integer, Part::element, i, 0, counts[0]);
        if (v != i) return bad(word, Fault::wrong_number, Part::element, i, 0, counts[0]);
        word = token();
        if (!integer(word, m)) return bad(word, Fault::not_integer, Part::element, i, 1, 0);
        if (m < 1) return bad(word, Fault::few_nodes, Part::element, i, 1, 0);
        if (m > INT32_MAX) return bad(word, Fault::many_nodes, Part::element, i, 1, INT32_MAX);
        std::string row;
        for (std::int64_t n = 0; n < m; ++n) {
          word = token();
          if (!integer(word, v)) return bad(word, Fault::not_integer, Part::element, i, 2 + n, 0);
          if (v < 1 || v > nn) return bad(word, Fault::node_range, Part::element, i, 2 + n, nn);
          row += std::to_string(v) + " ";
        }
        text_ += row;
      }
      for (std::int64_t i = 1; i <= nn; ++i, text_ += "\n") {
        std::int64_t v = 0;
        std::string word = token();
        if (!integer(word, v)) return bad(word, Fault::not_integer, Part::node, i, 0, nn);
        if (v != i) return bad(word, Fault::wrong_number, Part::node, i, 0, nn);
        std::string xyz;
        for (int axis = 1; axis <= 3; ++axis) {
          word = token();
          double x = 0.0;
          if (!real(word, x)) return bad(word, Fault::not_real, Part::node, i, axis, 0);
          if (!std::isfinite(x)) return bad(word, Fault::not_finite, Part::node, i, axis, 0);
          xyz += bits(x);
        }
        text_ += xyz;
      }
      for (std::int64_t i = 1; i <= counts[2]; ++i, text_ += "\n") {
        std::int64_t v = 0;
        std::string word = token();
        if (!integer(word, v)) return bad(word, Fault::not_integer, Part::special, i, 0, counts[2]);
        if (v != i) return bad(word, Fault::wrong_number, Part::special, i, 0, counts[2]);
        word = token();
        if (!integer(word, v)) return bad(word, Fault::not_integer, Part::special, i, 1, 0);
        if (v < 1 || v > nn) return bad(word, Fault::node_range, Part::special, i, 1, nn);
        text_ += std::to_string(v);
      }
      if (k < drawing) text_.clear();
    }
    return text_;
  }

 private:
  static bool space(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

  bool title(std::string& into, bool& ended, Part part) {
    if (at_ == f_.size()) {
      fault(Fault::ended, part, 0, 0, line_, 0, "");
      return false;
    }
    const std::size_t lf = f_.find('\n', at_);
    into = f_.substr(at_, lf == std::string::npos ? std::string::npos : lf - at_);
    ended = lf != std::string::npos;
    at_ = ended ? lf + 1 : f_.size();
    line_ += ended;
    return true;
  }

  // The next word, cut after 1000 bytes as every reader of the suite cuts
  // a word longer than any line; its line in token_line_.
  std::string token() {
    while (at_ < f_.size() && space(f_[at_])) line_ += f_[at_++] == '\n';
    const std::size_t start = at_;
    while (at_ < f_.size() && !space(f_[at_]) && at_ - start < 1000) ++at_;
    token_line_ = line_;
    return f_.substr(start, at_ - start);
  }

  // Digits from `at`: how many.
  static std::size_t digits(const std::string& word, std::size_t& at) {
    const std::size_t first = at;
    while (at < word.size() && word[at] >= '0' && word[at] <= '9') ++at;
    return at - first;
  }
  static void sign(const std::string& word, std::size_t& at) {
    if (at < word.size() && (word[at] == '+' || word[at] == '-')) ++at;
  }

  // [+-]digits
  static bool integer(const std::string& word, std::int64_t& value) {
    std::size_t at = 0;
    sign(word, at);
    if (word.size() > 999 || digits(word, at) == 0 || at != word.size()) return false;
    value = std::strtoll(word.c_str(), nullptr, 10);  // held at the bounds beyond them
    return true;
  }

  // [+-]digits[.digits] or [+-].digits, then [eE][+-]digits
  static bool real(const std::string& word, double& value) {
    std::size_t at = 0;
    sign(word, at);
    std::size_t mantissa = digits(word, at);
    if (at < word.size() && word[at] == '.') mantissa += digits(word, ++at);
    if (mantissa == 0) return false;
    if (at < word.size() && (word[at] == 'e' || word[at] == 'E')) {
      sign(word, ++at);
      if (digits(word, at) == 0) return false;
    }
    if (word.size() > 999 || at != word.size()) return false;
    value = std::strtod(word.c_str(), nullptr);
    return true;
  }

  std::string fault(Fault::Kind kind, Part part, std::int64_t record, std::int64_t item, std::int64_t line,
                    std::int64_t limit, const std::string& token) {
    if (!keeping_) text_.clear();
    Fault f;
    f.kind = kind;
    f.part = part;
    f.record = record;
    f.item = item;
    f.line = line;
    f.limit = limit;
    f.token = token;
    text_ += fault_text(f);
    return text_;
  }

  std::string bad(const std::string& word, Fault::Kind kind, Part part, std::int64_t record, std::int64_t item,
                  std::int64_t limit) {
    if (word.empty()) return fault(Fault::ended, part, record, item, line_, limit, "");
    return fault(kind, part, record, item, token_line_, limit, word);
  }

  const std::string& f_;
  std::size_t at_ = 0;
  std::int64_t line_ = 1;
  std::int64_t token_line_ = 1;
  std::string text_;
  bool keeping_ = false;  // the records of the drawing asked
};

// A random drawing, laid out as the writers lay it out or as a person might.
std::string random_drawing(std::mt19937& random) {
  auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
  const char* const gaps[] = {" ", "  ", "\t", "\n", "\r\n", " \n ", "\v", "\f"};
  auto gap = [&] { return std::string(pick(3) ? " " : gaps[pick(8)]); };
  auto real = [&] {
    const double v = (pick(2) ? -1 : 1) * std::ldexp(static_cast<double>(random()), pick(40) - 40);
    char text[64];
    switch (pick(6)) {
      case 0: std::snprintf(text, sizeof text, " %15.8f", v); break;
      case 1: std::snprintf(text, sizeof text, "%g", v); break;
      case 2: std::snprintf(text, sizeof text, "%.17e", v); break;
      case 3: std::snprintf(text, sizeof text, "%d", pick(2000) - 1000); break;
      case 4: std::snprintf(text, sizeof text, "%.3E", v * 1e30); break;
      default: std::snprintf(text, sizeof text, "%+.3f", v); break;
    }
    return std::string(text);
  };
  const char* const titles[] = {"Title", "  spaced title  ", "", "T\r", "LABEL", "a b\tc", "D1"};
  std::string file = std::string(titles[pick(7)]) + "\n";
  const int ne = pick(6), nn = 1 + pick(8), ns = pick(4);
  file += std::to_string(ne) + gap() + std::to_string(nn) + gap() + std::to_string(ns) + "\n";
  for (int i = 1; i <= ne; ++i) {
    const int m = 1 + pick(pick(10) ? 4 : 30);
    file += std::to_string(i) + gap() + std::to_string(m);
    for (int k = 0; k < m; ++k) file += gap() + std::to_string(1 + pick(nn));
    file += "\n";
  }
  for (int i = 1; i <= nn; ++i) {
    file += std::to_string(i);
    for (int j = 0; j < 3; ++j) file += gap() + real();
    file += "\n";
  }
  for (int i = 1; i <= ns; ++i) file += std::to_string(i) + gap() + std::to_string(1 + pick(nn)) + "\n";
  return file;
}

void mutate(std::string& file, std::mt19937& random) {
  auto pick = [&](std::size_t n) { return static_cast<std::size_t>(random() % std::max<std::size_t>(n, 1)); };
  static const std::string bytes = std::string("0123456789 \n\t-+.eEx") + std::string("\0\r\x01", 3);
  const int changes = 1 + static_cast<int>(pick(3));
  for (int c = 0; c < changes && !file.empty(); ++c) {
    const std::size_t at = pick(file.size());
    switch (pick(5)) {
      case 0: file.erase(at, 1); break;
      case 1: file.insert(at, 1, bytes[pick(bytes.size())]); break;
      case 2: file[at] = bytes[pick(bytes.size())]; break;
      case 3: file.resize(at); break;
      default: file.insert(at, file.substr(pick(file.size()), 1 + pick(6))); break;
    }
  }
}

TEST(MeshfileReader, AgreesWithASlowReaderOnRandomAndMutatedFiles) {
  std::mt19937 random(26);
  int whole = 0;
  for (int n = 0; n < 4000; ++n) {
    std::string file = "Header\n" + random_drawing(random) + (n % 2 ? random_drawing(random) : "");
    if (n % 3 != 0) mutate(file, random);
    const std::int64_t drawing = 1 + n % 2;
    const std::string fast = read(file, drawing);
    ASSERT_EQ(fast, Slow(file).read(drawing)) << "drawing " << drawing << " of:\n" << file;
    whole += fast.find("fault") == std::string::npos;
  }
  EXPECT_GT(whole, 1000);
}

// Each fault in its one line, as the core and its users show it.
TEST(MeshfileReader, Messages) {
  const std::string first = "H\r\nD1\r\n 1 2 0\n 1 2 1\n 2\n 1 0 0 0\n 2 1.5 -2 3e2\n";
  const std::string second = first + "D2\n1 1 1\n1 1 1\n1 +5 -0.0 .5e1\n1 1\n";
  struct Case {
    std::string file;
    int drawing;
    std::string said;
  };
  const Case cases[] = {
      {"", 1, "line 1: the file ends where the header line is due"},
      {"T", 1, "line 1: the file ends where the drawing line is due"},
      {"H\n", 1, "line 2: the file ends where the drawing line is due"},
      {"H\nD\n1 x 0\n", 1,
       "line 3: the count line must hold three integers: elements, nodes, special nodes (found 'x')"},
      {"H\nD\n1 -2 0\n", 1, "line 3: negative count in the count line"},
      {"H\nD\n1 1 3000000000\n", 1, "line 3: the count line: count '3000000000' out of range"},
      {second, 3, "line 13: drawing 3 asked, the file holds 2"},
      {first, 0, "drawing 0 asked: drawings are numbered from 1"},
      {"H\nD\n2 2 0\n1 1 1\n3 1 1\n", 1,
       "line 5: element 2 expected, found '3' (records are numbered 1, 2, 3, ... in order)"},
      {"H\nD\n1 1 0\n1 x 1\n", 1, "line 4: element 1: 'x' is not a node count"},
      {"H\nD\n1 1 0\n1 0\n", 1, "line 4: element 1: a node count of 0 (at least 1)"},
      {"H\nD\n1 1 0\n1 2 1 2\n", 1, "line 4: element 1: node 2 out of range (1 to 1)"},
      {"H\nD\n1 1 0\n1 1 " + std::string(1200, '1') + "\n", 1,
       "line 4: element 1: '1111111111111111111111111111111111111...' is not a node number"},
      {"H\nD\n1 1 0\n1 2 1\n", 1, "line 5: the file ends where node 2 of element 1 is due"},
      {"H\nD\n1 1 0\n1 1 1\n1 0 1e999 0\n", 1, "line 5: node 1: '1e999' is not a finite real number"},
      {"H\nD\n1 1 0\n1 1 1\n1 0 0\n", 1, "line 6: the file ends where the z coordinate of node 1 is due"},
      {"H\nD\n0 1 0\n1\x01 0 0 0\n", 1,
       "line 4: node 1 expected, found '1\\x01' (records are numbered 1, 2, 3, ... in order)"},
      {"H\nD\n1 1 1\n1 1 1\n1 0 0 0\n1 1.0\n", 1, "line 6: special node 1: '1.0' is not a node number"},
      {"T\nD\n0 1 1\n1 0 0 0\n1 2\n", 1, "line 5: special node 1: node 2 out of range (1 to 1)"},
      {"H\nD\n0 1 1\n1 0 0 0\n", 1, "line 5: the file ends where special node 1 of 1 is due"},
  };
  for (const Case& c : cases) {
    meshfile::Reader reader(meshfile::over_bytes(c.file));
    if (reader.open(c.drawing)) reader.check();
    EXPECT_EQ(meshfile::describe(reader.fault()), c.said) << c.file;
  }
  // Read whole: the titles without their line ends, and the second drawing.
  EXPECT_EQ(read(second, 2).substr(0, 18), "H\r|1|D2|1|1 1 1\n1 ");
  meshfile::Reader reader(meshfile::over_bytes(second));
  ASSERT_TRUE(reader.open(1) && reader.check());
  EXPECT_EQ(reader.header().text(), "H");
  EXPECT_EQ(reader.label().text(), "D1");
}

// Every drawing in turn, each read up to its first element only: the rest
// is read and checked on the way to the next. White space alone after the
// last drawing ends the file.
TEST(MeshfileReader, EveryDrawingInTurn) {
  const std::string first = "H\nD1\n1 2 0\n1 2 1 2\n1 0 0 0\n2 1 0 0\n";
  const std::string three = first + "D2\n1 1 1\n1 1 1\n1 +5 -0.0 .5e1\n1 1\nD3\n0 0 0";
  const std::pair<std::string, std::string> cases[] = {
      {three, "D1:1;D2:1;D3:0;" + std::to_string(three.size()) + "/" + std::to_string(three.size())},
      {first + "D2\n1 1 1\n1 1 1\n1 +5 -0.0 .5e1\n1 2\n", "D1:1;D2:1;line 11: special node 1: node 2 out of range (1 to 1)"},
      {first + "\n \n", "D1:1;" + std::to_string(first.size() + 3) + "/" + std::to_string(first.size() + 3)},
      {first + "\nD2\n", "D1:1;line 8: the count line must hold three integers: elements, nodes, special nodes (found 'D2')"},
  };
  for (const auto& [file, expected] : cases) {
    meshfile::Reader reader(meshfile::over_bytes(file));
    std::string text;
    std::span<const std::int64_t> nodes;
    for (bool more = reader.open(); more; more = reader.next()) {
      text += std::string(reader.label().text()) + ":" + std::to_string(reader.elements()) + ";";
      if (reader.elements() > 0) reader.element(nodes);
    }
    text += reader.fault() ? meshfile::describe(reader.fault())
                           : std::to_string(reader.position()) + "/" + std::to_string(reader.size());
    EXPECT_EQ(text, expected) << file;
  }
}

// meshcut's reading of a count line: each count the integer that starts
// after white space, whatever follows its digits.
TEST(MeshfileReader, CountLineAsMeshcutReadsIt) {
  struct Case {
    const char* line;
    Fault::Kind kind;
    std::int64_t item;
    std::int64_t total;
  };
  const Case cases[] = {
      {" 1\t2   3\r\n", Fault::none, 0, 6},
      {"1 2 3x # more", Fault::none, 0, 6},
      {"+1 2 3 4", Fault::none, 0, 6},
      {"1 2", Fault::not_integer, 2, 0},
      {"1x 2 3", Fault::not_integer, 1, 0},
      {"1 -2 3", Fault::negative_count, 1, 0},
      {"1 2 -3000000000", Fault::big_count, 2, 0},
      {"2147483648 0 0", Fault::big_count, 0, 0},
  };
  for (const Case& c : cases) {
    std::int64_t counts[3] = {};
    const Fault fault = meshfile::count_line(c.line, counts);
    EXPECT_EQ(fault.kind, c.kind) << c.line;
    if (fault) EXPECT_EQ(fault.item, c.item) << c.line;
    else EXPECT_EQ(counts[0] + counts[1] + counts[2], c.total) << c.line;
  }
}

}  // namespace
