#include "engine/FakeWindow.h"

#include "platform/FileFind.h"

std::vector<std::string> TFakeWindow::RowCaptions() const
{
    std::vector<std::string> captions;
    for (const TRow& row : Rows) captions.push_back(row.Caption);
    return captions;
}

void TFakeWindow::ProcessMessages()
{
    ++PumpCalls;
    Log.push_back("pump " + std::to_string(PumpCalls));
    if (OnProcessMessages)
        OnProcessMessages(PumpCalls);
}

void TFakeWindow::SetStatusText(int panel, const std::string& text)
{
    Log.push_back("status " + std::to_string(panel) + ": " + text);
    // A panel outside the four is a fault of the caller; it is logged, never stored.
    if (panel < 0 || panel >= static_cast<int>(Status.size()))
        return;
    Status[panel] = text;
    StatusHistory[panel].push_back(text);
}

void TFakeWindow::RepaintStatusBar()
{
    ++StatusRepaints;
    Log.push_back("repaint status");
}

std::string TFakeWindow::EditText(TEditBox box)
{
    auto it = Edits.find(box);
    return it == Edits.end() ? std::string() : it->second;
}

void TFakeWindow::SetEditText(TEditBox box, const std::string& text)
{
    Log.push_back("edit " + std::to_string(static_cast<int>(box)) + ": " + text);
    Edits[box] = text;
}

bool TFakeWindow::Checked(TCheckBox box)
{
    auto it = Checks.find(box);
    return it != Checks.end() && it->second;
}

std::string TFakeWindow::SelectedDrives()
{
    return Drives;
}

void TFakeWindow::UpdateCaption()
{
    ++CaptionUpdates;
    Log.push_back("caption");
}

void TFakeWindow::ShowMessage(const std::string& text)
{
    Log.push_back("message: " + text);
    Messages.push_back(text);
}

void TFakeWindow::SetListCaption(const std::string& text)
{
    Log.push_back("list caption: " + text);
    ListCaption = text;
}

void TFakeWindow::SetSearchCaption(const std::string& text)
{
    Log.push_back("search caption: " + text);
    SearchCaption = text;
    SearchCaptionHistory.push_back(text);
}

void TFakeWindow::SetListHint(const std::string& text)
{
    Log.push_back("hint: " + text);
    ListHint = text;
}

void TFakeWindow::SetHourglass(bool on)
{
    Log.push_back(on ? "hourglass on" : "hourglass off");
    Hourglass = on;
    ++HourglassCalls;
}

void TFakeWindow::SetProgressMax(int value)
{
    Log.push_back("progress max " + std::to_string(value));
    ProgressMax = value;
}

void TFakeWindow::SetProgressPosition(int value)
{
    ProgressPosition = value;
    ProgressPositions.push_back(value);
}

void TFakeWindow::SetProgressVisible(bool visible)
{
    Log.push_back(visible ? "progress shown" : "progress hidden");
    ProgressVisible = visible;
}

int TFakeWindow::RowCount()
{
    return static_cast<int>(Rows.size());
}

void TFakeWindow::ClearRows()
{
    Log.push_back("clear rows");
    ++ClearRowsCalls;
    Rows.clear();
}

void TFakeWindow::AddRow(const std::string& caption)
{
    Log.push_back("row: " + caption);
    Rows.push_back({caption, false, 0});
}

bool TFakeWindow::AddFile(const std::string& path, std::int64_t& size)
{
    bool described;
    std::int64_t found = size;
    if (DescribeFile) {
        described = DescribeFile(path, found);
    } else {
        TSearchRec rec;
        described = FindFile(path, rec);
        if (described)
            found = rec.Size;
    }
    if (!described) {
        Log.push_back("file missing: " + path);
        return false;
    }
    size = found;
    Log.push_back("file: " + path);
    Rows.push_back({path, true, found});
    return true;
}

void TFakeWindow::BeginRowsUpdate()
{
    ++RowsUpdateDepth;
    Log.push_back("begin rows");
}

void TFakeWindow::EndRowsUpdate()
{
    if (RowsUpdateDepth > 0) {
        --RowsUpdateDepth;
        ++RowsUpdatePairs;
    }
    Log.push_back("end rows");
}

void TFakeWindow::RepaintRows()
{
    ++RowRepaints;
    Log.push_back("repaint rows");
}

void TFakeWindow::AutoSizeColumns()
{
    ++AutoSizeCalls;
    Log.push_back("autosize");
}

void TFakeWindow::FixColumnWidths()
{
    ++FixWidthCalls;
    Log.push_back("fix widths");
}
