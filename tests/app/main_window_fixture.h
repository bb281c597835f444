// The main window's test fixture: a fresh set of models and a real Qt user
// interface with the main window shown, and ways to reach its controls.
#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QWidget>
#include <QtTest>
#include <memory>

#include "app/modal_answerer.h"
#include "app/qt_user_interface.h"
#include "app/window_checks.h"
#include "options/compute.h"

struct MainWindowFixture {
    std::unique_ptr<tvx::Models> models;
    std::unique_ptr<tvx::QtUserInterface> ui;
    QWidget* main = nullptr;

    template <class T>
    T* child(const char* name) {
        T* w = main->findChild<T*>(QString::fromLatin1(name));
        if (!w) qFatal("no %s", name);
        return w;
    }
    void type(const char* field, const QString& text) {
        auto* edit = child<QLineEdit>(field);
        edit->selectAll();
        QTest::keyClicks(edit, text);
    }
    QString output_line(int n) {
        QWidget* out = top_level(QStringLiteral("frmOutput"));
        return out->findChild<QLabel*>(QStringLiteral("Label%1").arg(n))->text();
    }

    void open_main() {
        models = std::make_unique<tvx::Models>();
        ui = std::make_unique<tvx::QtUserInterface>(*models);
        tvx::Form_Load(models->main);
        ui->show(tvx::Window::Main);
        main = ui->widget(tvx::Window::Main);
    }
    void close_all() {
        ui.reset();
        models.reset();
    }
};
