// One QApplication for every test of a grid test program (offscreen platform, set by ctest).
#pragma once

#include <gtest/gtest.h>

#include <QApplication>

class CQtTestApp : public ::testing::Environment
{
  public:
    void SetUp() override
    {
        // The grid tests need no display; a run outside ctest (or with only part of its
        // environment passed on) gets the offscreen platform too.
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        if (!QApplication::instance())
            m_pApp = new QApplication(m_nArgc, m_argv);
    }
    void TearDown() override
    {
        delete m_pApp;
        m_pApp = nullptr;
    }

  private:
    int m_nArgc = 1;
    char m_name[16] = "grid_test";
    char* m_argv[2] = {m_name, nullptr};
    QApplication* m_pApp = nullptr;
};

inline ::testing::Environment* const g_pQtTestApp =
    ::testing::AddGlobalTestEnvironment(new CQtTestApp);
