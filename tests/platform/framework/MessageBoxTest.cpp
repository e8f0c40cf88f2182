#include <gtest/gtest.h>

#include "tests/platform/framework/TestApp.h"
#include "tests/support/msgboxsink/RecordingMessageBoxSink.h"

TEST(MessageBox, FillsInTheProgramCaptionAndTheExclamationIcon)
{
    TestApp();
    CRecordingMessageBoxSink sink;

    EXPECT_EQ(TfMessageBox("Plain"), IDOK);
    sink.QueueAnswer(IDYES);
    EXPECT_EQ(TfMessageBox("Ask?", MB_YESNO | MB_ICONINFORMATION, "Please visit"), IDYES);
    EXPECT_EQ(TfMessageBox("Again?", MB_YESNO), IDNO); // the default answer once the queue is out
    EXPECT_EQ(TfMessageBox("Stop", MB_OK | MB_ICONSTOP, "Update error"), IDOK);

    const auto& boxes = sink.Boxes();
    ASSERT_EQ(boxes.size(), 4u);
    EXPECT_EQ(boxes[0].strCaption, "Tallyfern");
    EXPECT_EQ(boxes[0].nIcon, MB_ICONEXCLAMATION);
    EXPECT_EQ(boxes[0].nButtons, MB_OK);
    EXPECT_EQ(boxes[1].strCaption, "Please visit");
    EXPECT_EQ(boxes[1].nIcon, MB_ICONINFORMATION);
    EXPECT_EQ(boxes[1].nButtons, MB_YESNO);
    EXPECT_EQ(boxes[2].nIcon, MB_ICONEXCLAMATION);
    EXPECT_EQ(boxes[3].strText, "Stop");
    EXPECT_EQ(boxes[3].strCaption, "Update error");
    EXPECT_EQ(boxes[3].nIcon, MB_ICONSTOP);
}

TEST(MessageBox, SinksNestAndRestore)
{
    TestApp();
    CRecordingMessageBoxSink outer;
    {
        CRecordingMessageBoxSink inner;
        TfMessageBox("to the inner sink");
        EXPECT_EQ(inner.Boxes().size(), 1u);
    }
    TfMessageBox("to the outer sink");
    ASSERT_EQ(outer.Boxes().size(), 1u);
    EXPECT_EQ(outer.Boxes()[0].strText, "to the outer sink");
}
