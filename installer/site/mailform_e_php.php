<!DOCTYPE html>
<html lang="en">
<head>
<meta charset="utf-8">
<title>QuodoSoft - Mail the author</title>
<link rel="stylesheet" href="site.css">
</head>
<body>
<header>
<h1>QuodoSoft</h1>
<p>Mail the author</p>
</header>
<main>
<form action="/mailform_e_php.php" method="get">
<label for="ProgNam">Program</label>
<input type="text" id="ProgNam" name="ProgNam" readonly>
<label for="Name">Your name</label>
<input type="text" id="Name" name="Name">
<label for="Email">Your e-mail address</label>
<input type="text" id="Email" name="Email">
<label for="Contents">Message</label>
<textarea id="Contents" name="Contents" rows="12"></textarea>
<p><input type="submit" value="Send"></p>
</form>
</main>
<footer><a href="/index.php">Back to the home page</a> &middot; QuodoSoft</footer>
<script src="mailform.js"></script>
</body>
</html>
