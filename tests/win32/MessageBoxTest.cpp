#include <gtest/gtest.h>

#include <string>

#include "platform/win32/messagebox.h"

namespace {

class MessageBoxes : public ::testing::Test {
protected:
    void SetUp() override {
        win32::setMessageBoxesInteractive(false);
        win32::resetMessageBoxes();
    }
};

TEST_F(MessageBoxes, CountedRecordedAndPrinted) {
    EXPECT_EQ(win32::messageBoxCount(), 0u);
    testing::internal::CaptureStderr();
    EXPECT_EQ(MessageBoxA(nullptr, "InvalidCall With Rodizo", "VertexDecl", MB_OK), IDOK);
    MessageBoxA(nullptr, "second", "ERROR", MB_ICONERROR);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err, "[VertexDecl] InvalidCall With Rodizo\n[ERROR] second\n");
    EXPECT_EQ(win32::messageBoxCount(), 2u);
    EXPECT_STREQ(win32::lastMessageBox().caption, "ERROR");
    EXPECT_STREQ(win32::lastMessageBox().text, "second");
    EXPECT_EQ(win32::lastMessageBox().type, MB_ICONERROR);
}

TEST_F(MessageBoxes, ResetClearsCountAndRecord) {
    MessageBoxA(nullptr, "x", "y", MB_OK);
    win32::resetMessageBoxes();
    EXPECT_EQ(win32::messageBoxCount(), 0u);
    EXPECT_STREQ(win32::lastMessageBox().caption, "");
    EXPECT_STREQ(win32::lastMessageBox().text, "");
}

TEST_F(MessageBoxes, LongTextIsCutInTheRecordButPrintedWhole) {
    const std::string longText(5000, 'a');
    testing::internal::CaptureStderr();
    MessageBoxA(nullptr, longText.c_str(), "Long", MB_OK);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err, "[Long] " + longText + "\n");
    const win32::MessageBoxRecord& box = win32::lastMessageBox();
    EXPECT_EQ(std::string(box.text), longText.substr(0, sizeof box.text - 1));
}

TEST_F(MessageBoxes, MissingTextAndCaption) {
    testing::internal::CaptureStderr();
    MessageBoxA(nullptr, nullptr, nullptr, MB_OK);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "[Error] \n");
    EXPECT_EQ(win32::messageBoxCount(), 1u);
}

}  // namespace
