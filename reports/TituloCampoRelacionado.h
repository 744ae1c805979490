#pragma once

#include <QString>

// The reports' wording for the related field, by the code column of the configured
// related-field kind ("cod_tnom" gives "Clase de Nómina"). The column name is compared
// exactly; any other name gives a null string.
QString TituloCampoRelacionado(const QString& columnaCodigo);
