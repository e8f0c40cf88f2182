// The tray's picture and tooltip from the day's total.
#include "engine/TrayTexts.h"

#include <gtest/gtest.h>
#include <string>

TEST(TrayTexts, IconAndTooltip)
{
    CTrayChoice lost = ChooseTrayState(-12.5);
    EXPECT_EQ(lost.m_nIcon, kTrayLossIcon);
    EXPECT_EQ(lost.m_strTooltip, "Tallyfern Desktop: Lost -12.50 today!");
    CTrayChoice gained = ChooseTrayState(1234.5);
    EXPECT_EQ(gained.m_nIcon, kTrayGainIcon);
    EXPECT_EQ(gained.m_strTooltip, "Tallyfern Desktop: Gained 1234.50 today!");
    CTrayChoice none = ChooseTrayState(0);
    EXPECT_EQ(none.m_nIcon, kTrayLossIcon);
    EXPECT_EQ(none.m_strTooltip, "Tallyfern Desktop: Made no money today!");
    EXPECT_EQ(ChooseTrayState(-0.0).m_strTooltip, "Tallyfern Desktop: Made no money today!");
    CTrayChoice tiny = ChooseTrayState(-0.004);
    EXPECT_EQ(tiny.m_nIcon, kTrayLossIcon);
    EXPECT_EQ(tiny.m_strTooltip, "Tallyfern Desktop: Lost -0.00 today!");
    EXPECT_STREQ(kTrayDefaultTooltip, "Tallyfern Desktop");
}

TEST(TrayTexts, TooltipStaysWithinTheField)
{
    // A printed total of 30 characters is the longest that fits as it is.
    std::string fits = ChooseTrayState(1e26).m_strTooltip;
    EXPECT_EQ(fits, "Tallyfern Desktop: Gained 100000000000000004764729344.00 today!");
    EXPECT_EQ(fits.size(), kTrayTooltipMax);
    EXPECT_EQ(ChooseTrayState(1e27).m_strTooltip, "Tallyfern Desktop: Gained 1.00e+27 today!");
    EXPECT_EQ(ChooseTrayState(-1.7976931348623157e308).m_strTooltip,
              "Tallyfern Desktop: Lost -1.80e+308 today!");
    EXPECT_EQ(ChooseTrayState(-1e27).m_strTooltip.size(), kTrayTooltipMax); // 32 characters
    for (double total : {1e300, -1e300, 123456789012345678.0, -5e29, 1e308 * 10})
        EXPECT_LE(ChooseTrayState(total).m_strTooltip.size(), kTrayTooltipMax) << total;
}
