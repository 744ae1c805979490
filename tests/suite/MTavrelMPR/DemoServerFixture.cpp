#include "DemoServerFixture.h"

#include "ErrorReporter.h"
#include "LocalAppServer.h"
#include "ModuleError.h"

DemoServerFixture::DemoServerFixture() : db(tavrel::test::TestDatabase::Content::Demo)
{
    connection.setAppServer(tavrel::LocalAppServer::connect(db.url()));
    tavrel::ErrorReporter::setHandler([this](const std::exception& error) {
        const auto* e = dynamic_cast<const tavrel::ModuleError*>(&error);
        messages.append(e ? e->message() : QString::fromUtf8(error.what()));
    });
}

DemoServerFixture::~DemoServerFixture()
{
    tavrel::ErrorReporter::setHandler({});
}
