#include <cstdio>
#include <string>

#include <gtest/gtest.h>

#include "tests/harness/capture.hpp"
#include "tests/harness/e2e.hpp"
#include "toolkit/dialogue.hpp"

namespace {

using harness::capture;
using harness::error_block;

// Each question's result is printed after the dialogue as "=> value", so that
// standard output shows both what the user saw and what the caller got.
harness::Outcome real(const char* prompt, double def, std::string_view answers) {
  return capture([=] { std::printf("=> %.17g\n", toolkit::askrea(prompt, def)); }, answers);
}

harness::Outcome integer(const char* prompt, int def, std::string_view answers) {
  return capture([=] { std::printf("=> %d\n", toolkit::askint(prompt, def)); }, answers);
}

harness::Outcome letter(const char* prompt, char a, char b, char def, std::string_view answers) {
  return capture([=] { std::printf("=> %c\n", toolkit::askcha(prompt, a, b, def)); }, answers);
}

harness::Outcome job(std::string_view answers) {
  return capture(
      [] {
        toolkit::Answer name;
        toolkit::askjob(name);
        std::printf("=> [%s]\n", name.data());
      },
      answers);
}

harness::Outcome text(const char* prompt, const char* def, std::string_view answers) {
  return capture(
      [=] {
        toolkit::Answer answer;
        toolkit::askstr(prompt, def, answer);
        std::printf("=> [%s]\n", answer.data());
      },
      answers);
}

constexpr const char* repeat = "\nERROR: repeat answer ...\n";

TEST(Askrea, EmptyAnswerTakesTheDefaultShownWithFifteenDigits) {
  auto outcome = real("Diameter of the cylinders", 1.0, "\n");
  EXPECT_EQ(outcome.out, "\nDiameter of the cylinders [1] ? You answered: 1\n=> 1\n");
  EXPECT_EQ(outcome.err, "");
  EXPECT_EQ(outcome.status, 0);
  EXPECT_EQ(real("H", 0.1, "\n").out, "\nH [0.1] ? You answered: 0.1\n=> 0.10000000000000001\n");
  EXPECT_EQ(real("H", -0.0, "\n").out, "\nH [-0] ? You answered: -0\n=> -0\n");
  EXPECT_EQ(real("H", 1e300, "   \n").out, "\nH [1e+300] ? You answered: 1e+300\n=> 1.0000000000000001e+300\n");
  EXPECT_EQ(real("H", 2.0 / 3.0, "\n").out,
            "\nH [0.666666666666667] ? You answered: 0.666666666666667\n=> 0.66666666666666663\n");
}

TEST(Askrea, BadAnswersAreEchoedAndTheQuestionRepeats) {
  auto outcome = real("Height", 1.0, "abc\n2.5x\n0.5 and more\n");
  EXPECT_EQ(outcome.out, std::string("\nHeight [1] ? You answered: abc\n") + repeat +
                             "\nHeight [1] ? You answered: 2.5x\n" + repeat +
                             "\nHeight [1] ? You answered: 0.5\n=> 0.5\n");
  EXPECT_EQ(outcome.status, 0);
  EXPECT_EQ(real("H", 1.0, "  -2.5E+03\n").out, "\nH [1] ? You answered: -2.5E+03\n=> -2500\n");
  EXPECT_EQ(real("H", 1.0, ".\n1.\n").out,
            std::string("\nH [1] ? You answered: .\n") + repeat + "\nH [1] ? You answered: 1.\n=> 1\n");
}

TEST(Askrea, RefusesAValueThatIsNotFinite) {
  auto outcome = real("H", 1.0, "1e999\n-1e400\n1e308\n");
  EXPECT_EQ(outcome.out, std::string("\nH [1] ? You answered: 1e999\n") + repeat +
                             "\nH [1] ? You answered: -1e400\n" + repeat +
                             "\nH [1] ? You answered: 1e308\n=> 1e+308\n");
  EXPECT_EQ(outcome.status, 0);
}

TEST(Askrea, StopsOnADefaultThatIsNotANumber) {
  for (double bad : {1.0 / 0.0, -1.0 / 0.0, 0.0 / 0.0}) {
    auto outcome = real("H", bad, "\n");
    EXPECT_EQ(outcome.out, "");
    EXPECT_EQ(outcome.err, error_block("askrea: invalid default answer"));
    EXPECT_EQ(outcome.status, 1);
  }
}

TEST(Askint, AcceptsSignedDigitsOnly) {
  auto outcome = integer("Choice", 2, "1.0\n1e3\n+7\n");
  EXPECT_EQ(outcome.out, std::string("\nChoice [2] ? You answered: 1.0\n") + repeat +
                             "\nChoice [2] ? You answered: 1e3\n" + repeat +
                             "\nChoice [2] ? You answered: +7\n=> 7\n");
  EXPECT_EQ(integer("Choice", 2, "-0\n").out, "\nChoice [2] ? You answered: -0\n=> 0\n");
  EXPECT_EQ(integer("Choice", -5, "\n").out, "\nChoice [-5] ? You answered: -5\n=> -5\n");
  EXPECT_EQ(integer("Choice", 0, "007 x\n").out, "\nChoice [0] ? You answered: 007\n=> 7\n");
}

TEST(Askint, RefusesAnswersBeyondThirtyTwoBits) {
  auto outcome = integer("N", 0, "2147483648\n-2147483649\n99999999999999999999\n2147483647\n");
  EXPECT_EQ(outcome.out, std::string("\nN [0] ? You answered: 2147483648\n") + repeat +
                             "\nN [0] ? You answered: -2147483649\n" + repeat +
                             "\nN [0] ? You answered: 99999999999999999999\n" + repeat +
                             "\nN [0] ? You answered: 2147483647\n=> 2147483647\n");
  EXPECT_EQ(integer("N", 0, "-2147483648\n").out, "\nN [0] ? You answered: -2147483648\n=> -2147483648\n");
  EXPECT_EQ(integer("N", -2147483647 - 1, "\n").out,
            "\nN [-2147483648] ? You answered: -2147483648\n=> -2147483648\n");
}

TEST(Askcha, OffersTwoLettersAndTakesEitherInAnyCase) {
  const char* prompt = "Mesh type (cylinders/prisms)";
  const std::string ask = "\nMesh type (cylinders/prisms) (c/p) [c] ? ";
  auto outcome = letter(prompt, 'c', 'p', 'c', "pc\nx\nyes\nP\n");
  EXPECT_EQ(outcome.out, ask + "You answered: pc\n" + repeat + ask + "You answered: x\n" + repeat + ask +
                             "You answered: yes\n" + repeat + ask + "You answered: p\n=> p\n");
  EXPECT_EQ(letter(prompt, 'C', 'P', 'C', "\n").out, ask + "You answered: c\n=> c\n");
  EXPECT_EQ(letter(prompt, 'c', 'p', 'C', " C  d\n").out, ask + "You answered: c\n=> c\n");
}

TEST(Askcha, StopsOnADefaultThatIsNeitherLetter) {
  auto outcome = letter("Form", 'b', 'f', 'x', "b\n");
  EXPECT_EQ(outcome.out, "");
  EXPECT_EQ(outcome.err, error_block("askcha: the default choice must be one of the valid choices"));
  EXPECT_EQ(outcome.status, 1);
}

TEST(Askjob, TakesLettersDigitsAndPathCharactersOnly) {
  auto outcome = job("my-job\n\n   \nj\xc3\xb6" "b\nab\tc\nC:\\work\\dir/job_1.$v2 trailing words\n");
  const std::string ask = "\nJob name ? ";
  EXPECT_EQ(outcome.out, ask + "You answered: my-job\n" + repeat + ask + "You answered: \n" + repeat + ask +
                             "You answered: \n" + repeat + ask + "You answered: j\xc3\xb6" "b\n" + repeat + ask +
                             "You answered: ab\tc\n" + repeat + ask +
                             "You answered: C:\\work\\dir/job_1.$v2\n=> [C:\\work\\dir/job_1.$v2]\n");
  EXPECT_EQ(outcome.status, 0);
}

TEST(Askstr, KeepsTheWholeLineAndAsksOnce) {
  EXPECT_EQ(text("Extension", "", "\n").out, "Extension ? You answered: \n=> []\n");
  EXPECT_EQ(text("Extension", "", "  a b  \n").out, "Extension ? You answered:   a b  \n=> [  a b  ]\n");
  EXPECT_EQ(text("Extension", "ext", "\n").out, "Extension [ext] ? You answered: ext\n=> [ext]\n");
  EXPECT_EQ(text("Extension", "ext", "my-x!\n").out, "Extension [ext] ? You answered: my-x!\n=> [my-x!]\n");
}

TEST(Dialogue, AnswerLinesAreCutAt79Characters) {
  const std::string long_line = std::string(79, '1') + "23456789";
  auto outcome = real("H", 1.0, long_line + "\n2\n");
  EXPECT_EQ(outcome.out, "\nH [1] ? You answered: " + std::string(79, '1') + "\n=> 1.1111111111111111e+78\n");
  // The dropped rest of the line does not answer the next question.
  outcome = capture(
      [] {
        toolkit::Answer a, b;
        toolkit::askstr("A", "", a);
        toolkit::askstr("B", "", b);
      },
      std::string(100, 'x') + "\nsecond\n");
  EXPECT_EQ(outcome.out, "A ? You answered: " + std::string(79, 'x') + "\nB ? You answered: second\n");
}

TEST(Dialogue, CarriageReturnLineFeedEndsOneAnswer) {
  auto outcome = capture(
      [] {
        const int a = toolkit::askint("A", 1);
        const int b = toolkit::askint("B", 2);
        const int c = toolkit::askint("C", 3);
        std::printf("=> %d %d %d\n", a, b, c);
      },
      "5\r\n\r\n7\r");
  EXPECT_EQ(outcome.out,
            "\nA [1] ? You answered: 5\n\nB [2] ? You answered: 2\n\nC [3] ? You answered: 7\n=> 5 2 7\n");
  EXPECT_EQ(outcome.status, 0);
}

TEST(Dialogue, EndOfInputStopsTheQuestion) {
  auto outcome = job("bad-name\n");
  EXPECT_EQ(outcome.out, "\nJob name ? You answered: bad-name\n" + std::string(repeat) + "\nJob name ? ");
  EXPECT_EQ(outcome.err, error_block("Unexpected end of input"));
  EXPECT_EQ(outcome.status, 1);
  outcome = real("H", 1.0, "");
  EXPECT_EQ(outcome.out, "\nH [1] ? ");
  EXPECT_EQ(outcome.err, error_block("Unexpected end of input"));
  EXPECT_EQ(outcome.status, 1);
  EXPECT_EQ(text("E", "d", "").err, error_block("Unexpected end of input"));
  EXPECT_EQ(letter("L", 'a', 'b', 'a', "").err, error_block("Unexpected end of input"));
  EXPECT_EQ(integer("I", 0, "").err, error_block("Unexpected end of input"));
  // A last answer without line end still counts.
  EXPECT_EQ(integer("I", 0, "42").out, "\nI [0] ? You answered: 42\n=> 42\n");
}

TEST(Rdline, StoresAtMostLimitLessOneCharacters) {
  auto outcome = capture(
      [] {
        char buffer[5];
        for (int k = 0; k < 4; ++k) {
          toolkit::rdline(buffer, sizeof buffer);
          std::printf("[%s]", buffer);
        }
      },
      "abcdefg\n  x y \na\rb\n");
  EXPECT_EQ(outcome.out, "[abcd][  x ][a][b]");
}

}  // namespace
