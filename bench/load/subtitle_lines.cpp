#include "bench/load/subtitle_lines.h"

#include <array>
#include <random>
#include <string_view>
#include <unordered_set>

namespace vokabino {
namespace {

constexpr std::array<std::string_view, 18> kSubjects = {
    "I",           "You",          "We",            "They",        "He",
    "She",         "My father",    "Your sister",   "The old man", "The doctor",
    "Nobody",      "The children", "Our neighbour", "The police",  "Her brother",
    "The teacher", "My best friend", "Everyone in town"};

// Past or modal forms, so that every subject fits.
constexpr std::array<std::string_view, 16> kVerbs = {
    "saw",         "found",      "lost",        "took",      "wanted",   "will bring",
    "never liked", "can't find", "should call", "forgot",    "must see", "would buy",
    "left",        "remembered", "didn't open", "could sell"};

constexpr std::array<std::string_view, 16> kObjects = {
    "the keys",         "the car",   "a letter",         "the money",
    "the old house",    "your coat", "the last train",   "a red bicycle",
    "the photographs",  "my phone",  "the dog",          "the painting",
    "the wedding ring", "the map",   "a bottle of wine", "the newspaper"};

constexpr std::array<std::string_view, 14> kTails = {
    "",                 " yesterday",      " last night",     " before the storm",
    " at the station",  " in the garden",  " after school",   " near the river",
    " on Friday",       " this morning",   " for her mother", " without telling anyone",
    " in the kitchen",  " at the hospital"};

constexpr std::array<std::string_view, 5> kQuestions = {"Where did you put ", "Have you seen ",
                                                        "Who took ", "Do you want ",
                                                        "Why is nobody looking for "};

constexpr std::array<std::string_view, 5> kCalls = {"Listen", "Look", "Come on", "Oh no", "Wait"};

constexpr std::array<std::string_view, 6> kAfterthoughts = {
    " I'm sorry.", " Don't worry.", " Let's go.", " Trust me.", " It's late.", " Be careful."};

// What the player's query carries unescaped or escaped, beyond letters: reserved
// characters, "%", and Windows-1252 letters and quotes.
constexpr std::array<std::string_view, 8> kOddities = {
    " Tom & Jerry = trouble.",        " Room #12, floor 3 + 1?",    " It's 50% off!",
    " Caf\xE9 cr\xE8me, please.",     " She's so na\xEFve.",        " He said \x93yes\x94.",
    " That's Zo\xEB's r\xE9sum\xE9.", " Is it 2 + 2 = 4? Yes & no."};

template <std::size_t N>
std::string_view Pick(const std::array<std::string_view, N>& words, std::mt19937& random) {
  return words[std::uniform_int_distribution<std::size_t>(0, N - 1)(random)];
}

// A subject as it stands after a comma: "I" keeps its capital, others lose it.
Text InsideSentence(std::string_view subject) {
  Text words(subject);
  if (words != "I" && words[0] >= 'A' && words[0] <= 'Z')
    words[0] = static_cast<char>(words[0] - 'A' + 'a');
  return words;
}

Text MakeOneLine(std::mt19937& random) {
  Text line;
  switch (std::uniform_int_distribution<int>(0, 9)(random)) {
    case 0:
    case 1:
      line += Pick(kQuestions, random);
      line += Pick(kObjects, random);
      line += Pick(kTails, random);
      line += "?";
      break;
    case 2:
      line += Pick(kCalls, random);
      line += ", ";
      line += InsideSentence(Pick(kSubjects, random));
      line += " ";
      line += Pick(kVerbs, random);
      line += " ";
      line += Pick(kObjects, random);
      line += Pick(kTails, random);
      line += "!";
      break;
    default:
      line += Pick(kSubjects, random);
      line += " ";
      line += Pick(kVerbs, random);
      line += " ";
      line += Pick(kObjects, random);
      line += Pick(kTails, random);
      line += ".";
      break;
  }
  const int extra = std::uniform_int_distribution<int>(0, 19)(random);
  if (extra < 3) line += Pick(kAfterthoughts, random);
  if (extra == 19 || extra == 18) line += Pick(kOddities, random);
  return line;
}

}  // namespace

std::vector<Text> MakeSubtitleLines(std::size_t count, std::uint32_t seed) {
  std::mt19937 random(seed);
  std::vector<Text> lines;
  lines.reserve(count);
  std::unordered_set<Text> made;
  while (lines.size() < count) {
    if (lines.size() >= 10 && std::uniform_int_distribution<int>(0, 9)(random) == 0) {
      lines.push_back(
          lines[std::uniform_int_distribution<std::size_t>(0, lines.size() - 1)(random)]);
      continue;
    }
    Text line = MakeOneLine(random);
    if (made.insert(line).second) lines.push_back(std::move(line));
  }
  return lines;
}

}  // namespace vokabino
