#pragma once

#include "MVGnNormaMPExport.h"

#include <QVariantList>

class SClientDataSet;

// The framework's free helpers for the module's datasets.
class MVGNNORMAMP_EXPORT DtmGnLibre
{
public:
    // Closes the dataset, gives its parameters the values in their order and opens it
    // again. The server converts each value to its parameter's type. A parameter whose
    // type was never declared (still String, the type a ":name" marker gets) takes the
    // type of a non-null value (an int makes an integer parameter); a declared type, such
    // as the SmallInt of a company code, is kept. More values than parameters is refused
    // before the dataset is closed.
    static void ReConsultar(SClientDataSet* ds, const QVariantList& values);
    // ReConsultar without the open: the dataset closed with its parameters set.
    static void Parametrizar(SClientDataSet* ds, const QVariantList& values);
};
