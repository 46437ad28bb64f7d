document.write("<p id='from-script'>Текст из сценария: загружен.</p>" +
    "<div style='width:40px;height:40px;background:#00a0a0'></div>");
