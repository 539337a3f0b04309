#include "bigview/ViewFileLoad.h"

#include <new>

#include "bigview/BigView.h"
#include "lines/ListErrors.h"
#include "platform/BusyCursor.h"
#include "platform/MessageBox.h"

bool LoadFileIntoView(TBigView &view, const QByteArray &path)
{
    try {
        view.Clear();
        view.LoadFromFile(path);
        return true;
    } catch (const EInOutError &) {
    } catch (const EListError &) {
    } catch (const std::bad_alloc &) {
    }
    // Whatever was read before the failure goes too.
    view.Clear();
    return false;
}

bool ShowFileInView(TBigView &view, const QByteArray &path, const QString &failureText, QWidget *parent)
{
    BusyCursor busy;
    if (LoadFileIntoView(view, path))
        return true;
    busy.End();
    ShowMessageBox(failureText, MsgKind::Warning, mbAbort, parent);
    return false;
}
