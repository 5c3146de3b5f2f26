// Markup build of a 1,000-control layout from a file (read, parse, create
// the controls, apply defaults and attributes) beside a bare TinyXML parse
// of the same file.

#include "bench/BenchClock.h"
#include "common/TempFile.h"
#include "ui/Control.h"
#include "ui/DialogBuilder.h"
#include "ui/PaintManager.h"

#include <tinyxml.h>

#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

using namespace Tessar;
using namespace Tessar::Bench;

namespace {

const int kRuns = 21;
const int kRows = 111;  // 1 root + 111 rows + 111 x 8 cells = 1,000 controls

std::string MakeLayout(int& controls) {
    std::string xml = "<?xml version=\"1.0\" encoding=\"GBK\"?>\n<Root name=\"bench\">\n<Window name=\"BenchWnd\" size=\"900,600\" caption=\"0,0,0,32\">\n";
    xml += "  <Font font=\"text\" name=\"Microsoft YaHei\" size=\"12\" default=\"true\" />\n";
    xml += "  <Font font=\"bold\" name=\"Microsoft YaHei\" size=\"12\" bold=\"true\" />\n";
    xml += "  <Default name=\"Button\" value=\"bknormalimage=&quot;file='button.png' source='0,0,24,24' corner='4,4,4,4'&quot; "
           "bkhotimage=&quot;file='button.png' source='24,0,48,24' corner='4,4,4,4'&quot; normaltextcolor=&quot;#FFFFFFFF&quot; align=&quot;center&quot;\" />\n";
    xml += "  <VerticalLayout name=\"root\" normalbkcolor=\"#FFF4F6F9\" vscrollbar=\"true\" childpadding=\"4\">\n";
    controls = 1;
    char line[512];
    for (int row = 0; row < kRows; ++row) {
        std::snprintf(line, sizeof(line), "    <HorizontalLayout name=\"row%d\" height=\"28\" childpadding=\"8\" inset=\"8,2,8,2\">\n", row);
        xml += line;
        ++controls;
        for (int cell = 0; cell < 8; ++cell) {
            int id = row * 10 + cell + 1;
            switch (cell % 4) {
            case 0:
                std::snprintf(line, sizeof(line),
                              "      <Label name=\"label%d\" id=\"%d\" text=\"游戏%d\" width=\"120\" normaltextcolor=\"#FF333333\" "
                              "align=\"left\" endellipsis=\"true\" normalfont=\"text\" />\n",
                              id, id, id);
                break;
            case 1:
                std::snprintf(line, sizeof(line),
                              "      <Button name=\"button%d\" id=\"%d\" text=\"开始\" width=\"72\" tooltip=\"开始游戏\" "
                              "hottextcolor=\"#FFFFF0E0\" />\n",
                              id, id);
                break;
            case 2:
                std::snprintf(line, sizeof(line),
                              "      <Progress name=\"progress%d\" id=\"%d\" width=\"100\" height=\"8\" padding=\"0,10,0,10\" "
                              "normalimage=\"file='progress.png' corner='2,2,2,2'\" foreinset=\"1,1,1,1\" />\n",
                              id, id);
                break;
            default:
                std::snprintf(line, sizeof(line),
                              "      <Container name=\"box%d\" id=\"%d\" bordercolor=\"#FFDDE3EA\" bordersize=\"1\" "
                              "roundcorner=\"4,4\" bknormalimage=\"file='card.png' corner='4,4,4,4'\" />\n",
                              id, id);
                break;
            }
            xml += line;
            ++controls;
        }
        xml += "    </HorizontalLayout>\n";
    }
    xml += "  </VerticalLayout>\n</Window>\n</Root>\n";
    return xml;
}

bool WriteNarrowFile(const std::wstring& path, const std::string& bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) && written == bytes.size();
    CloseHandle(file);
    return ok;
}

int CountControls(VQControl* root) {
    struct Counter {
        static VQControl* Visit(VQControl*, void* data) {
            ++*static_cast<int*>(data);
            return nullptr;
        }
    };
    int count = 0;
    root->FindControl(&Counter::Visit, &count, 0);
    return count;
}

}  // namespace

int main() {
    int controls = 0;
    std::string xml = MakeLayout(controls);
    TempFileHolder file;
    std::wstring path;
    if (!CreateTempFile(file, path) || !WriteNarrowFile(path, xml)) {
        fprintf(stderr, "cannot write the layout\n");
        return 1;
    }
    std::string narrowPath(path.begin(), path.end());

    std::vector<double> ours, bare;
    int built = 0;
    for (int run = 0; run < kRuns; ++run) {
        // Alternate which goes first so that neither always finds a warm cache.
        for (int turn = 0; turn < 2; ++turn) {
            if ((turn == 0) == (run % 2 == 0)) {
                VQPaintManager manager;
                double start = NowMs();
                VQDialogBuilder builder;
                VQControl* root = builder.Create(path, L"BenchWnd", MarkupFromFile, L"", &manager);
                ours.push_back(NowMs() - start);
                if (root == nullptr) {
                    fprintf(stderr, "the layout did not build\n");
                    return 1;
                }
                built = CountControls(root);
                delete root;
            } else {
                double start = NowMs();
                TiXmlDocument document;
                bool loaded = document.LoadFile(narrowPath.c_str(), TIXML_ENCODING_LEGACY);
                bare.push_back(NowMs() - start);
                if (!loaded) {
                    fprintf(stderr, "TinyXML could not load the layout\n");
                    return 1;
                }
            }
        }
    }
    printf("layout of %d controls (%d built, %zu bytes)\n", controls, built, xml.size());
    PrintRatioLine("markup build 1000 controls", Percentile(ours, 0.5), "bare TinyXML parse", Percentile(bare, 0.5));
    return 0;
}
