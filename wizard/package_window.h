// The wizard's part in a run from an appended package.
#ifndef WIZARD_PACKAGE_WINDOW_H
#define WIZARD_PACKAGE_WINDOW_H

#include "pack/package_setup.h"
#include "wizard/wizard.h"

class WIZARD_PACKAGE_FRONT : public PACKAGE_FRONT {
public:
    WIZARD_PACKAGE_FRONT() : started(GetTickCount()) {}
    ~WIZARD_PACKAGE_FRONT() override;
    WIZARD_PACKAGE_FRONT(const WIZARD_PACKAGE_FRONT &) = delete;
    WIZARD_PACKAGE_FRONT &operator=(const WIZARD_PACKAGE_FRONT &) = delete;

    // A small window with the percentage, once a second has gone by.
    void advance(bool extracting, uint64_t done, uint64_t total) override;
    // "The setup package is damaged..." in a box of its own.
    void damaged(const char *why) override;
    void unpacked() override;

private:
    DWORD started;
    HWND window = nullptr;
    int shown_percent = -1;
    bool shown_extracting = false;
};

#endif
