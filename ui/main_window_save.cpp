// "Fichier" > "Enregistrer sous": the whois page and the results tree into one text file.
#include "ui/main_window.h"

#include "app/results_file.h"
#include "ui/desktop.h"
#include "ui_main_window.h"

#include <QFile>
#include <QTreeWidget>

namespace {

// "Description|pattern|..." written the toolkit's way: "Description (pattern);;...".
QString ToolkitFilter(const QString& filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        entries << parts[i] + QStringLiteral(" (") + parts[i + 1] + QLatin1Char(')');
    return entries.join(QStringLiteral(";;"));
}

void CollectLines(const QTreeWidgetItem& node, int depth, std::vector<TTreeLine>& lines)
{
    lines.push_back({depth, TTreeNodes::Text(&node)});
    for (int i = 0; i < node.childCount(); ++i) CollectLines(*node.child(i), depth + 1, lines);
}

// What saving reads of the window.
class TResultsAdapter : public IResultsSource {
public:
    TResultsAdapter(TFMain& window, const QTreeWidget& tree) : W(window), FTree(tree) {}

    std::string MemoText() const override { return W.MemoText(); }
    void SetMemoText(const std::string& text) override { W.SetMemoText(text); }
    std::vector<TTreeLine> TreeLines() const override
    {
        std::vector<TTreeLine> lines;
        for (int i = 0; i < FTree.topLevelItemCount(); ++i) CollectLines(*FTree.topLevelItem(i), 0, lines);
        return lines;
    }

private:
    TFMain& W;
    const QTreeWidget& FTree;
};

}  // namespace

void TFMain::Enregistrersous1Click()
{
    // From the field as typed, in UTF-8: a name the code page cannot hold stays whole.
    const QString proposed = QString::fromStdString(ProposedFileName(ui->LEditName->text().toStdString()));
    // The second entry writes the same text as UTF-8 with LF. Dialogs hand the chosen entry
    // back whole or as its description alone.
    const QString utf8 = QStringLiteral("Texte UTF-8 (*.txt)");
    QString filter;
    const QString filters = ToolkitFilter(QStringLiteral("Fichiers *.txt|*.txt|") + utf8 + QStringLiteral("|*.txt"));
    const QString chosen = FDesktop.SaveFileName(this, proposed, filters, &filter);
    if (chosen.isEmpty()) return;
    const std::string fileName = WithTxtExtension(QFile::encodeName(chosen).toStdString());
    TResultsAdapter window(*this, *ui->TreeDNS);
    SaveResults(window, fileName, filter.startsWith(utf8) ? TFileEncoding::Utf8 : TFileEncoding::Windows1252);
}
