#include "server/query_parsing.h"

#include <gtest/gtest.h>

#include <string>

namespace vokabino {
namespace {

struct LineCase {
  const char* name;
  std::string rawQuery;
  std::optional<Text> text;
  std::optional<std::string> email;
};

TEST(ParseTranslationQuery, TheLineIsTheOneFreeFormValue) {
  const std::string tail = "&email=ann@example.test&password=qx5318";
  const LineCase cases[] = {
      {"player form", "src=en&dest=fr&text=Hello%20world" + tail, "Hello world",
       "ann@example.test"},
      {"ampersand and equals inside", "src=en&dest=fr&text=Tom%20&%20Jerry%20a=b" + tail,
       "Tom & Jerry a=b", "ann@example.test"},
      {"plus is a plus sign", "src=en&dest=fr&text=1+1=2" + tail, "1+1=2", "ann@example.test"},
      {"hash and question mark", "src=en&dest=fr&text=We're%20#1?" + tail, "We're #1?",
       "ann@example.test"},
      {"line holds &email=", "src=en&dest=fr&text=x%20&email=y" + tail, "x &email=y",
       "ann@example.test"},
      {"line holds a key given before it", "src=en&dest=fr&text=a%20&src=xx" + tail,
       "a &src=xx", "ann@example.test"},
      {"Windows-1252 bytes, either case", "src=en&dest=fr&text=caf%E9%20%e0" + tail,
       "caf\xE9 \xE0", "ann@example.test"},
      {"empty line still sent", "src=en&dest=fr&text=" + tail, "", "ann@example.test"},
      {"another client's order", "text=hi&src=en&dest=fr&password=qx5318", "hi", std::nullopt},
      {"line last, properly escaped", "src=en&dest=fr&password=qx5318&text=a%26b", "a&b",
       std::nullopt},
      {"no line", "src=en&dest=fr&password=qx5318", std::nullopt, std::nullopt},
      {"unknown parameters ignored", "v=2&src=en&dest=fr&text=ok" + tail, "ok",
       "ann@example.test"},
  };
  for (const LineCase& c : cases) {
    SCOPED_TRACE(c.name);
    const QueryParse parse = ParseTranslationQuery(c.rawQuery);
    ASSERT_EQ(parse.problem, QueryProblem::None);
    EXPECT_EQ(parse.query.text, c.text);
    EXPECT_EQ(parse.query.email, c.email);
    EXPECT_EQ(parse.query.password, std::optional<std::string>("qx5318"));
    EXPECT_EQ(parse.query.source, std::optional<std::string>("en"));
  }
}

TEST(ParseTranslationQuery, MalformedQueriesAreNamed) {
  const std::pair<std::string, QueryProblem> cases[] = {
      {"src=en&dest=fr&text=100%&password=qx5318", QueryProblem::BadEscape},
      {"src=en&dest=fr&text=%ZZ&password=qx5318", QueryProblem::BadEscape},
      {"src=en&dest=fr&text=%4", QueryProblem::BadEscape},
      {"src=en&dest=fr&text=a%00b&password=qx5318", QueryProblem::ZeroByte},
      {"src=en&src=fr&text=a&password=qx5318", QueryProblem::RepeatedField},
      {"src=en&dest=fr&password=qx5318&password=x", QueryProblem::RepeatedField},
      {"text=" + std::string(kMaxQueryBytes, 'a'), QueryProblem::TooLong},
  };
  for (const auto& [raw, problem] : cases) {
    SCOPED_TRACE(raw.substr(0, 60));
    EXPECT_EQ(ParseTranslationQuery(raw).problem, problem);
  }
  EXPECT_EQ(ParseTranslationQuery("text=" + std::string(kMaxQueryBytes - 5, 'a')).problem,
            QueryProblem::None);
}

TEST(CheckTranslationQuery, RefusalsCarryStatusAndReason) {
  const std::pair<std::string, int> cases[] = {
      {"src=en&dest=fr&text=hi&email=e&password=qx5318", 0},
      {"src=en&dest=fr&text=&email=e&password=qx5318", 0},
      {"src=en&dest=fr&text=hi&email=e&password=qx5319", 403},
      {"src=en&dest=fr&text=hi&email=e", 403},
      {"src=en&dest=de&text=hi&email=e&password=qx5318", 400},
      {"dest=fr&text=hi&email=e&password=qx5318", 400},
      {"src=en&dest=fr&email=e&password=qx5318", 400},
      {"src=en&dest=fr&text=%G0&password=qx5318", 400},
      {"text=" + std::string(kMaxQueryBytes, 'a'), 414},
  };
  for (const auto& [raw, status] : cases) {
    SCOPED_TRACE(raw.substr(0, 60));
    const QueryVerdict verdict = CheckTranslationQuery(ParseTranslationQuery(raw));
    EXPECT_EQ(verdict.status, status);
    EXPECT_EQ(verdict.reason.empty(), status == 0);
    EXPECT_EQ(verdict.reason.find('\n'), std::string::npos);
  }
}

TEST(CheckTranslationQuery, ClientValuesInReasonsStayPrintable) {
  const QueryVerdict verdict = CheckTranslationQuery(
      ParseTranslationQuery("src=en%0D%0Aevil&dest=fr&text=hi&password=qx5318"));
  EXPECT_EQ(verdict.status, 400);
  for (char c : verdict.reason) EXPECT_TRUE(c >= ' ' && c < 0x7F) << verdict.reason;
}

}  // namespace
}  // namespace vokabino
