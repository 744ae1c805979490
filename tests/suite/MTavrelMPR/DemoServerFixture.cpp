#include "DemoServerFixture.h"

#include "LocalAppServer.h"

DemoServerFixture::DemoServerFixture() : db(tavrel::test::TestDatabase::Content::Demo)
{
    connection.setAppServer(db.appServer());
}
