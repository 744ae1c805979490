#pragma once

#include "MVGnNormaMPExport.h"

#include <QVariantList>

class SClientDataSet;

// The framework's free helpers for the module's datasets.
class MVGNNORMAMP_EXPORT DtmGnLibre
{
public:
    // Closes the dataset, gives its parameters the values in their order and opens it
    // again. A non-null value also gives its parameter the value's type (an int makes
    // an integer parameter), as the server converts each value to its parameter's type;
    // a null value keeps the parameter's type. More values than parameters is refused
    // before the dataset is closed.
    static void ReConsultar(SClientDataSet* ds, const QVariantList& values);
};
