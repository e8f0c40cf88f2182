// Switches the C library's numeric locale to German (decimal comma) for one test, building
// the locale into a scratch folder when the system has none, and restores "C" afterwards.
#pragma once

#include <string>

class CGermanNumericLocale
{
  public:
    CGermanNumericLocale();
    ~CGermanNumericLocale();
    CGermanNumericLocale(const CGermanNumericLocale&) = delete;
    CGermanNumericLocale& operator=(const CGermanNumericLocale&) = delete;

    // True when printf now really prints a decimal comma.
    bool Active() const { return m_bActive; }

  private:
    bool m_bActive = false;
};
