#pragma once

#include "IAppServer.h"

#include <QString>
#include <memory>

namespace tavrel::bench {

// The caused-value update as the module runs it from its menu, without the window: the
// server's time, FEC_RPCO, the update and its clean-up, through the data module's
// datasets on the given server, stamped by `user`.
class CausedRun
{
public:
    CausedRun(std::shared_ptr<IAppServer> server, const QString& user);
    ~CausedRun();

    void run();

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace tavrel::bench
