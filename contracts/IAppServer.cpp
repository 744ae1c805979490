#include "IAppServer.h"

namespace tavrel {

IAppServer::~IAppServer() = default;

} // namespace tavrel
