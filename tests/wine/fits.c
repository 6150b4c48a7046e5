// fits.exe: each visible text of the dialog shown first (the installer's page) against its box,
// measured as the control draws it: with the control's own font and DrawTextW's wrapping, in the
// same Wine, at the same dpi (so no font metrics of our own to trust); a components list's names by
// the list's own text rectangles, and each component's description in the box beside it. Prints
// what does not fit, once the page's 「次へ」 can be pressed (an install done); the exit status
// counts the misfits.
#include <windows.h>

#include <commctrl.h>
#include <stdio.h>

static int misfits;
static HANDLE installer;

static void report(HWND w, const wchar_t* text, const char* why) {
    char utf8[2048];
    WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, sizeof utf8, NULL, NULL);
    printf("%s: %s (control %ld)\n", why, utf8, (long)GetDlgCtrlID(w));
    misfits++;
}

// The font the control draws with is a handle of the installer's process: its description is
// read from there and the same font made here.
static HFONT font_of(HWND w) {
    LOGFONTW font;
    HFONT theirs = (HFONT)SendMessageW(w, WM_GETFONT, 0, 0);
    if (!theirs || !GetObjectW(theirs, sizeof font, &font))
        GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font);
    return CreateFontIndirectW(&font);
}

static void check_text(HWND w, LONG style, int button) {
    wchar_t text[2048];
    if (!GetWindowTextW(w, text, 2048)) return;
    RECT box, need;
    GetClientRect(w, &box);
    int room = box.right, kind = style & BS_TYPEMASK, line = button && !(style & BS_MULTILINE);
    if (button && kind == BS_GROUPBOX)
        room -= 2 * GetSystemMetrics(SM_CXMENUCHECK);
    else if (button && kind >= BS_CHECKBOX && kind <= BS_AUTORADIOBUTTON)
        room -= GetSystemMetrics(SM_CXMENUCHECK) + 3;
    else if (button)
        room -= 4 * GetSystemMetrics(SM_CXEDGE);
    HDC dc = GetDC(w);
    HGDIOBJ old = SelectObject(dc, font_of(w));
    need = (RECT){0, 0, room, 0};
    DrawTextW(dc, text, -1, &need, DT_CALCRECT | (line ? DT_SINGLELINE : DT_WORDBREAK));
    DeleteObject(SelectObject(dc, old));
    ReleaseDC(w, dc);
    if (need.right > room || (!line && kind != BS_GROUPBOX && need.bottom > box.bottom))
        report(w, text, "cut");
}

// Each name's text rectangle, asked of the list in the installer's memory; each selected in turn
// shows its description (the box stays disabled for a component without one).
static void check_items(HWND tree) {
    RECT box, item,
        *theirs = VirtualAllocEx(installer, NULL, sizeof item, MEM_COMMIT, PAGE_READWRITE);
    HWND description = GetDlgItem(GetParent(tree), 1043);
    wchar_t text[2048] = L"";
    GetClientRect(tree, &box);
    for (HTREEITEM i = TreeView_GetRoot(tree); i; i = TreeView_GetNextSibling(tree, i)) {
        *(HTREEITEM*)&item = i;
        WriteProcessMemory(installer, theirs, &item, sizeof item, NULL);
        SendMessageW(tree, TVM_GETITEMRECT, TRUE, (LPARAM)theirs);
        ReadProcessMemory(installer, theirs, &item, sizeof item, NULL);
        HTREEITEM other = TreeView_GetNextSibling(tree, i) ? TreeView_GetNextSibling(tree, i)
                                                           : TreeView_GetPrevSibling(tree, i);
        if (TreeView_GetSelection(tree) == i) TreeView_SelectItem(tree, other);
        TreeView_SelectItem(tree, i);
        GetWindowTextW(description, text, 2048);
        if (item.right > box.right) report(tree, text, "name cut");
        if (!IsWindowEnabled(description) || !*text) report(tree, text, "no description");
        check_text(description, GetWindowLongW(description, GWL_STYLE), 0);
    }
}

static BOOL CALLBACK check(HWND w, LPARAM unused) {
    (void)unused;
    wchar_t kind[64];
    LONG style = GetWindowLongW(w, GWL_STYLE);
    if (!IsWindowVisible(w) || !GetClassNameW(w, kind, 64)) return TRUE;
    if (!wcscmp(kind, WC_TREEVIEWW)) check_items(w);
    if (!wcscmp(kind, L"Button")) check_text(w, style, 1);
    int plain = (style & SS_TYPEMASK) <= SS_RIGHT || (style & SS_TYPEMASK) == SS_LEFTNOWORDWRAP;
    if (!wcscmp(kind, L"Static") && plain) check_text(w, style, 0);
    return TRUE;
}

int main(void) {
    HWND top = FindWindowW(L"#32770", NULL);
    DWORD process;
    if (!top) return fprintf(stderr, "fits: no window\n"), 100;
    for (int wait = 0; wait < 300 && !IsWindowEnabled(GetDlgItem(top, 1)); wait++) Sleep(100);
    GetWindowThreadProcessId(top, &process);
    installer = OpenProcess(PROCESS_ALL_ACCESS, FALSE, process);
    EnumChildWindows(top, check, 0);
    return misfits;
}
