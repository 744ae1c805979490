#pragma once

#include "MVGnNormaMPExport.h"

class SClientDataSet;

namespace tavrel {

// Carries every post and delete of a dataset to the server at once: its AfterPost and
// AfterDelete handlers are wrapped so that, after the handler the module set, the change
// log is applied. A refusal of the server (a conflict, a broken rule) puts the row back
// into its editing state with the user's values and is thrown out of the post or delete,
// for the control that started it to show.
//
// Attach after the module has set its own handlers; attaching twice changes nothing.
class MVGNNORMAMP_EXPORT ApplyAfterChange
{
public:
    static void attach(SClientDataSet& dataSet);
    static bool attached(const SClientDataSet& dataSet);
};

} // namespace tavrel
