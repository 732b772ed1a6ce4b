// The operator prompt: which keys answer, which are passed over, and what happens when
// no further key can come.
#include <gtest/gtest.h>

#include "errors/prompt.h"
#include "errors_test_support.h"

namespace {

class Prompt : public FakeDoorTest {};

uint16_t AnswerTo(const std::u16string& keys) {
  FakePlatformReset();
  FakePlanKeys(keys);
  return AskOperator(kFakeInput);
}

TEST_F(Prompt, TwelveKeysAnswer) {
  const struct {
    char16_t key;
    uint16_t answer;
  } cases[] = {
      {u'I', kAnswerIgnore}, {u'i', kAnswerIgnore}, {u'И', kAnswerIgnore}, {u'и', kAnswerIgnore},
      {u'R', kAnswerRepeat}, {u'r', kAnswerRepeat}, {u'П', kAnswerRepeat}, {u'п', kAnswerRepeat},
      {u'A', kAnswerAbort},  {u'a', kAnswerAbort},  {u'О', kAnswerAbort},  {u'о', kAnswerAbort},
  };
  for (const auto& c : cases)
    EXPECT_EQ(AnswerTo(std::u16string(1, c.key)), c.answer) << int(c.key);
}

TEST_F(Prompt, OtherKeysArePassedOver) {
  // Each is followed by "i": an answer other than Ignore means the key itself counted.
  // 0 is a key without a character, such as an arrow.
  const char16_t others[] = {u'x', u' ', u'\r', u'\n', u'P', u'o',    u'Р',
                             u'А', u'а', u'й',  0x1B,  0,    u'\xFF', u'\x01'};
  for (char16_t other : others)
    EXPECT_EQ(AnswerTo(std::u16string(1, other) + u"i"), kAnswerIgnore) << int(other);
}

TEST_F(Prompt, FirstAcceptedKeyAnswers) {
  EXPECT_EQ(AnswerTo(u"x r"), kAnswerRepeat);
  EXPECT_EQ(AnswerTo(u"xaR"), kAnswerAbort);
  EXPECT_EQ(AnswerTo(u"пa"), kAnswerRepeat);
}

TEST_F(Prompt, AbortsWhenNoFurtherKeyCanCome) {
  EXPECT_EQ(AnswerTo(u""), kAnswerAbort);
  EXPECT_EQ(AnswerTo(std::u16string(u"x\n\x1B") + char16_t(0)), kAnswerAbort);
  // An input handle that is no console at all.
  FakePlanKeys(u"r");
  EXPECT_EQ(AskOperator(kNoHandle), kAnswerAbort);
}

TEST_F(Prompt, KeysTypedBeforeTheQuestionNeverAnswer) {
  FakePlatform.typedAhead = u"aи";
  FakePlanKeys(u"r");
  EXPECT_EQ(AskOperator(kFakeInput), kAnswerRepeat);
}

}  // namespace
