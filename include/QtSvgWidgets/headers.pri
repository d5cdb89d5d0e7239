SYNCQT.HEADER_FILES = qgraphicssvgitem.h qsvgwidget.h qtsvgwidgetsglobal.h 
SYNCQT.GENERATED_HEADER_FILES = QGraphicsSvgItem QSvgWidget qtsvgwidgetsversion.h QtSvgWidgetsVersion QtSvgWidgets 
SYNCQT.PRIVATE_HEADER_FILES = 
SYNCQT.QPA_HEADER_FILES = 
SYNCQT.CLEAN_HEADER_FILES = qgraphicssvgitem.h qsvgwidget.h qtsvgwidgetsglobal.h 
SYNCQT.INJECTIONS = 
