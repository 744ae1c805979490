#pragma once

#include "SDCOMConnection.h"
#include "TestDatabase.h"
#include "TestHelpers.h"

// A fresh demo database on the engine of the run, a connection to an in-process
// application server on it, and the messages the components report instead of showing
// them.
struct DemoServerFixture
{
    DemoServerFixture();

    tavrel::test::TestDatabase db;
    SDCOMConnection connection;
    ReportedErrors messages;
};
