#pragma once
// The services list's rows leaving the program: the selected ones to the
// clipboard, those in view to a file.
#include <string>

#include "platform/Platform.h"
#include "views/ListExport.h"

class CVantorelView;
class Resources;

// The selected rows, under the shown columns' titles, as text separated by
// tabs and as CSV ("Csv", which spreadsheets paste as a table). A
// clipboard another program holds is said, and nothing is taken from it.
// False when nothing was put there.
bool CopyRows(const CVantorelView& view, const Resources& resources,
              const platform::Platform& platform);
// "Exportar lista...": the save dialog (CSV or text separated by tabs),
// then ExportRowsTo.
void ExportRows(const CVantorelView& view, const Resources& resources,
                const platform::Platform& platform, const std::string& initialName);
// The rows in view written to `path` whole or not at all; a failure shows
// the platform's message. False when nothing was written.
bool ExportRowsTo(const CVantorelView& view, const Resources& resources,
                  const platform::Platform& platform, const std::string& path, TableFormat format);
