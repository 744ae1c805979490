#pragma once

#include <QList>
#include <QtGlobal>

#include <algorithm>

namespace tavrel::bench {

// What the benchmarks ask of their own process.
class BenchProcess
{
public:
    // Without a display, widgets are drawn offscreen (before the application is made).
    static void offscreenWithoutDisplay();
    // The resident peak of this process (VmHWM), in KiB; 0 where /proc is not there.
    static qint64 peakMemoryKb();

    template <typename T> static T median(QList<T> values)
    {
        std::sort(values.begin(), values.end());
        return values.isEmpty() ? T() : values.at(values.size() / 2);
    }
};

} // namespace tavrel::bench
