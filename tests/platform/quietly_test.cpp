// What a handler swallows is dropped for the user and kept for the
// developer: one line under "vexo.quietly", silent unless switched on.
#include <gtest/gtest.h>

#include <QLoggingCategory>
#include <QString>
#include <stdexcept>

#include "platform/quietly.h"

namespace vexo {
namespace {

QStringList* seen = nullptr;

void Keep(QtMsgType, const QMessageLogContext& context, const QString& text) {
  if (seen && QString::fromUtf8(context.category) == "vexo.quietly") seen->append(text);
}

class QuietlyTest : public ::testing::Test {
 protected:
  QuietlyTest() {
    seen = &lines_;
    previous_ = qInstallMessageHandler(Keep);
  }
  ~QuietlyTest() override {
    qInstallMessageHandler(previous_);
    QLoggingCategory::setFilterRules({});
    seen = nullptr;
  }
  QStringList lines_;
  QtMessageHandler previous_ = nullptr;
};

TEST_F(QuietlyTest, ASwallowedErrorIsLoggedWithWhereOnlyWhenAsked) {
  EXPECT_FALSE(Quietly([] { throw std::runtime_error("disk gone"); }));
  EXPECT_TRUE(lines_.isEmpty()) << "silent by default";

  QLoggingCategory::setFilterRules("vexo.quietly.debug=true");
  EXPECT_TRUE(Quietly([] {}));
  EXPECT_FALSE(Quietly([] { throw std::runtime_error("disk gone"); }));
  EXPECT_FALSE(Quietly([] { throw 7; }));
  ASSERT_EQ(lines_.size(), 2);
  EXPECT_TRUE(lines_[0].contains("quietly_test.cpp:")) << lines_[0].toStdString();
  EXPECT_TRUE(lines_[0].endsWith("disk gone"));
  EXPECT_TRUE(lines_[1].contains("another kind"));
}

}  // namespace
}  // namespace vexo
