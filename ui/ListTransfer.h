#pragma once
// The services views' rows leaving the program: the selected ones to the
// clipboard, those in view to a file.
#include <windows.h>

#include <string>
#include <vector>

#include "platform/Platform.h"
#include "views/ListExport.h"

class Resources;

// A view whose services read as a table.
class TableSource {
public:
    virtual HWND TableWindow() const = 0;
    virtual std::vector<std::string> Titles() const = 0;
    // The selected rows, or every row in view.
    virtual TableRows Lines(bool selectedOnly) const = 0;

protected:
    ~TableSource() = default;
};

// The selected rows, under the shown columns' titles, as text separated by
// tabs and as CSV ("Csv", which spreadsheets paste as a table). A
// clipboard another program holds is said, and nothing is taken from it.
// False when nothing was put there.
bool CopyRows(const TableSource& view, const Resources& resources,
              const platform::Platform& platform);
// "Exportar lista...": the save dialog (CSV or text separated by tabs),
// then ExportRowsTo.
void ExportRows(const TableSource& view, const Resources& resources,
                const platform::Platform& platform, const std::string& initialName);
// The rows in view written to `path` whole or not at all; a failure shows
// the platform's message. False when nothing was written.
bool ExportRowsTo(const TableSource& view, const Resources& resources,
                  const platform::Platform& platform, const std::string& path, TableFormat format);

// Ctrl+C ("Copiar") and "Exportar lista..." for `view`; false for any other
// command. `title` names the exported file at first.
bool RunTableCommand(UINT id, const TableSource& view, const Resources& resources,
                     const platform::Platform& platform, const std::string& title);
