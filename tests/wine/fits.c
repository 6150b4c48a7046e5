// fits.exe: each visible text of the dialog shown first (the installer's page) against its box,
// measured as the control draws it: with DrawTextW's wrapping, in the same Wine at the same dpi
// and fonts, so the test trusts no font metrics of its own; a components list's
// names by the list's own text rectangles, and each component's description in the box beside
// it. Waits until the page's 「次へ」 can be pressed (an install done); prints each misfit and
// exits with their count.
#include <windows.h>

#include <commctrl.h>
#include <stdio.h>

static int misfits;

// Font handles do not cross processes under Wine: the font is the one the installer's Japanese
// sets (ＭＳ Ｐゴシック 9 pt; its titles bold, the finish page's at 12 pt), which Wine replaces
// here as it does there. A line (a button's, a tick box's) must leave a character's room to
// spare, for a real PC's own font.
static void fits(HWND w, int margin, int one_line) {
    wchar_t text[2048];
    RECT box, need;
    int id = GetDlgCtrlID(w), weight = id == 1037 || id == 1201 ? FW_BOLD : FW_NORMAL;
    GetClientRect(w, &box);
    need = (RECT){0, 0, box.right - margin, 0};
    if (!GetWindowTextW(w, text, 2048)) return;
    HDC dc = GetDC(w);
    int height = -MulDiv(id == 1201 ? 12 : 9, GetDeviceCaps(dc, LOGPIXELSY), 72);
    SelectObject(dc,
                 CreateFontW(height, 0, 0, 0, weight, 0, 0, 0, 1, 0, 0, 0, 0, L"ＭＳ Ｐゴシック"));
    DrawTextW(dc, text, -1, &need, DT_CALCRECT | (one_line ? DT_SINGLELINE : DT_WORDBREAK));
    need.right -= one_line ? height : 0;
    ReleaseDC(w, dc);
    if (need.right > box.right - margin || need.bottom > box.bottom)
        misfits += printf("cut: control %d, %d > %ld\n", id, (int)need.right, box.right) > 0;
}

// The rectangles are asked for in the installer's memory. Selecting a component shows its
// description (the box stays disabled for one without): from the last, as the first is selected.
static void check_items(HWND tree, HANDLE installer) {
    RECT box, item, *at = VirtualAllocEx(installer, 0, sizeof item, MEM_COMMIT, PAGE_READWRITE);
    HWND description = GetDlgItem(GetParent(tree), 1043);
    GetClientRect(tree, &box);
    for (HTREEITEM i = TreeView_GetLastVisible(tree); i; i = TreeView_GetPrevVisible(tree, i)) {
        *(HTREEITEM*)&item = i;
        WriteProcessMemory(installer, at, &item, sizeof item, NULL);
        SendMessageW(tree, TVM_GETITEMRECT, TRUE, (LPARAM)at);
        ReadProcessMemory(installer, at, &item, sizeof item, NULL);
        TreeView_SelectItem(tree, i);
        if (item.right > box.right || !IsWindowEnabled(description))
            misfits += printf("component %p: name cut or no description\n", (void*)i) > 0;
        fits(description, 0, 0);
    }
}

static BOOL CALLBACK check(HWND w, LPARAM installer) {
    wchar_t kind[64];
    LONG style = GetWindowLongW(w, GWL_STYLE), type = style & BS_TYPEMASK;
    int mark = GetSystemMetrics(SM_CXMENUCHECK), tick = type >= BS_CHECKBOX && type < BS_GROUPBOX;
    if (!IsWindowVisible(w) || !GetClassNameW(w, kind, 64)) return TRUE;
    if (!wcscmp(kind, WC_TREEVIEWW)) check_items(w, (HANDLE)installer);
    if (!wcscmp(kind, L"Static") && (style & SS_TYPEMASK) <= SS_RIGHT) fits(w, 0, 0);
    int edges = type == BS_GROUPBOX ? 2 * mark : tick ? mark + 3 : 4 * GetSystemMetrics(SM_CXEDGE);
    if (!wcscmp(kind, L"Button")) fits(w, edges, 1);
    return TRUE;
}

int main(void) {
    HWND top = FindWindowW(L"#32770", NULL);
    DWORD process;
    if (!top) return fprintf(stderr, "fits: no window\n"), 100;
    for (int wait = 0; wait < 300 && !IsWindowEnabled(GetDlgItem(top, 1)); wait++) Sleep(100);
    GetWindowThreadProcessId(top, &process);
    EnumChildWindows(top, check, (LPARAM)OpenProcess(PROCESS_ALL_ACCESS, FALSE, process));
    return misfits;
}
