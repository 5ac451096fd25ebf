#pragma once

#include "editing/htmlconvert.h"
#include "editing/mainwindow.h"

// The main window's one-step commands around the text window.
namespace korvex::editing {

void cut(MainWindow& window);
void copy(MainWindow& window);
void paste(MainWindow& window);
void selectAll(MainWindow& window);
void refreshDate(MainWindow& window);
void insertDate(MainWindow& window);
void chooseFont(MainWindow& window);
// The colour picked in the colour box ("ColorBox1").
void applyPickedColour(MainWindow& window, Colour colour);
void toggleStayOnTop(MainWindow& window);
void convertText(MainWindow& window, HtmlConversion mode);

}  // namespace korvex::editing
