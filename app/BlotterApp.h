// CBlotterApp: the application object. It registers the program's resources, runs the main
// window modally, and turns the end of the desktop session and the termination signals into
// the window's close command, so that the portfolio is saved before the program ends.
#pragma once

class QApplication;

class CBlotterApp
{
  public:
    explicit CBlotterApp(QApplication& app);
    // Runs the program; the process's exit status (1 when the window could not be created).
    int Run();

  private:
    QApplication& m_app;
};
