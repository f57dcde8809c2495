// Progress interface that the caller implements and hands, never null, to
// long operations. The slot order of the five operations is fixed.
#pragma once

class IBaseProgressDlg {
public:
    virtual void setRange(int lower, int upper, int step) = 0;
    virtual void refresh() = 0;
    virtual void offsetPos(int delta) = 0;
    // printf-style title; the caller owns the formatting.
    virtual void setText(const char* format, ...) = 0;
    // Non-zero when the user asked to stop.
    virtual int isCanceled() = 0;

protected:
    // The library never deletes a progress object through this interface;
    // a protected destructor keeps the vtable to the five slots above.
    ~IBaseProgressDlg() = default;
};
