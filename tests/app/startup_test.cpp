// Start-up: the form's defaults, the system menu and the window's geometry.
#include "support/fixture.h"

namespace {

using test::MainWindowTest;

TEST_F(MainWindowTest, FormShowsTheStartUpDefaults) {
    const std::pair<int, const char*> expected[] = {
        {IDC_START_TEMP, "0"},    {IDC_SEG1_TEMP, "380"},   {IDC_SEG1_TIME, "29000"}, {IDC_SEG2_TEMP, "200"},
        {IDC_SEG2_TIME, "900"},   {IDC_SEG3_TEMP, "300"},   {IDC_SEG3_TIME, "900"},   {IDC_SEG4_TEMP, "360"},
        {IDC_SEG4_TIME, "20000"}, {IDC_TEMP_MIN, "10"},     {IDC_TEMP_MAX, "390"},    {IDC_TIME_MIN, "0"},
        {IDC_TIME_MAX, "3600"},   {IDC_DUTY_PERCENT, "98"}, {IDC_FILE_NUMBER, "1"},   {IDC_PULSE_DUTY, "0"},
    };
    for (auto [id, text] : expected) EXPECT_EQ(Text(id), text) << "control " << id;
    EXPECT_EQ(dlg->m_nRunState, kRunIdle);
    EXPECT_EQ(dlg->m_btnHalt.GetState() & BST_PUSHED, 0u);
    EXPECT_EQ(dlg->m_btnHalt.GetSafeHwnd(), dlg->GetDlgItem(IDC_HALT)->GetSafeHwnd());
    EXPECT_TRUE(dev->writes.empty()) << "start-up switches nothing";
}

}  // namespace
